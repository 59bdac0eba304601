#pragma once
// Panels, radio groups, progress bars, tab strips, the data-only string
// grid, and the picture control.
#include "platform/gui/Controls.h"
#include "platform/gui/CustomControls.h"
#include "platform/gui/StdCtrls.h"

#include <memory>
#include <vector>

class QGroupBox;
class QGridLayout;
class QRadioButton;
class QButtonGroup;
class QProgressBar;
class QTabBar;
class QLabel;

namespace plat {

// The picture control. The picture is drawn at its size from the top-left,
// or centred, or stretched to the control, keeping its proportions when asked
// (proportional alone only shrinks a picture that does not fit).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent *owner);
    TPicture &Picture() { return picture_; }
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool v);
    bool Center() const { return center_; }
    void SetCenter(bool v);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool SeeThrough() const override { return transparent_; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);
    TRect DestRect() const;

protected:
    void Paint() override;
    bool PaintOnto(QPainter &painter) override;

private:
    void PictureChanged();
    TPicture picture_;
    bool stretch_ = false, proportional_ = false, center_ = false, transparent_ = false, autoSize_ = false;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
};

// The framework's plain radio group: one radio button per item, laid out
// in Columns. ItemIndex -1 means no item is chosen.
class TRadioGroup : public TWinControl {
public:
    explicit TRadioGroup(TComponent *owner);
    ~TRadioGroup() override;

    TStrings &Items() { return *items_; }
    int ItemIndex() const { return itemIndex_; }
    // Choosing an item from code clicks it, as with the framework: OnClick
    // follows, except while the window is being built or for -1.
    void SetItemIndex(int i);
    int Columns() const { return columns_; }
    void SetColumns(int n);

protected:
    void TextChanged() override;
    void EnabledChanged() override;

private:
    void Rebuild();
    void ButtonClicked(int i);
    QGroupBox *box_;
    QGridLayout *grid_;
    std::unique_ptr<TControlStrings> items_;
    std::vector<QRadioButton *> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent *owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int Step() const { return step_; }
    void SetStep(int v) { step_ = v; }
    void StepIt();
    void StepBy(int delta);

private:
    void Apply();
    QProgressBar *bar_;
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
};

// A strip of tabs; TabIndex is 0-based, -1 for none.
class TTabControl : public TWinControl {
public:
    explicit TTabControl(TComponent *owner);
    ~TTabControl() override;
    TStrings &Tabs() { return *tabs_; }
    int TabIndex() const;
    void SetTabIndex(int i);
    TNotifyEvent OnChange;

private:
    void Reload();
    QTabBar *bar_;
    std::unique_ptr<TControlStrings> tabs_;
    bool updating_ = false;
};

// The hidden grids of the program: cells of text, no widget. Cells outside
// the grid read as empty and are not stored.
class TStringGrid : public TWinControl {
public:
    explicit TStringGrid(TComponent *owner);
    int ColCount() const { return cols_; }
    void SetColCount(int n);
    int RowCount() const { return rows_; }
    void SetRowCount(int n);
    String Cells(int col, int row) const;
    void SetCells(int col, int row, const String &s);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int DefaultColWidth = 64;
    int FixedCols = 1;
    int FixedRows = 1;
    int Row = 1;
    int Col = 1;

private:
    void Resize();
    int cols_ = 5, rows_ = 5;
    std::vector<String> cells_;
    std::vector<int> widths_;
};

} // namespace plat
