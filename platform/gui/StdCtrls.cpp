#include "platform/gui/StdCtrls.h"

#include "platform/gui/Forms.h"
#include "platform/gui/GuiColor.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>

namespace plat {

namespace {
QString Q(const String &s) { return QString::fromStdString(s); }

// Labels show "&" as an accelerator mark: "&&" is a literal "&".
QString WithoutAccelerator(const String &s)
{
    QString out;
    const QString in = Q(s);
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '&' && i + 1 < in.size()) {
            out += in[++i];
            continue;
        }
        if (in[i] != '&')
            out += in[i];
    }
    return out;
}
} // namespace

// ---------------------------------------------------------------------------
// TControlStrings

void TControlStrings::Insert(int i, const String &s)
{
    TStringList::Insert(i, s);
    changed_();
}

void TControlStrings::Delete(int i)
{
    TStringList::Delete(i);
    changed_();
}

void TControlStrings::Clear()
{
    TStringList::Clear();
    changed_();
}

void TControlStrings::SetText(const String &text)
{
    TStringList::SetText(text);
    changed_();
}

void TControlStrings::Put(int i, const String &s)
{
    TStringList::Put(i, s);
    changed_();
}

// ---------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent *owner) : TControl(owner), label_(new QLabel)
{
    clickOnRelease_ = true;
    label_->setTextFormat(Qt::PlainText);
    AttachWidget(label_);
    SetParentColor(true);
    SetBounds(0, 0, 65, 17);
}

void TLabel::TextChanged()
{
    label_->setText(WithoutAccelerator(text_));
    Fit();
}

void TLabel::Fit()
{
    if (!autoSize_)
        return;
    // Measured with the widget's own font, which must be the label's now.
    WriteHeld();
    const QSize s = label_->sizeHint();
    SetBounds(Left(), Top(), wordWrap_ ? Width() : s.width(), s.height());
}

void TLabel::SetTransparent(bool v)
{
    transparent_ = v;
    ColorChanged();
}

void TLabel::SetAutoSize(bool v)
{
    autoSize_ = v;
    Fit();
}

void TLabel::SetWordWrap(bool v)
{
    wordWrap_ = v;
    label_->setWordWrap(v);
    Fit();
}

void TLabel::SetAlignment(TAlignment a)
{
    alignment_ = a;
    const Qt::Alignment h = a == TAlignment::taCenter       ? Qt::AlignHCenter
                            : a == TAlignment::taRightJustify ? Qt::AlignRight
                                                              : Qt::AlignLeft;
    label_->setAlignment(h | Qt::AlignTop);
}

void TLabel::ColorChanged()
{
    TControl::ColorChanged();
    label_->setAutoFillBackground(!transparent_);
}

// ---------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TComponent *owner) : TWinControl(owner), edit_(new QLineEdit)
{
    // Only the key filter limits typing; dropping and the context menu's
    // paste would pass round it.
    edit_->setContextMenuPolicy(Qt::NoContextMenu);
    edit_->setAcceptDrops(false);
    edit_->setDragEnabled(false);
    baseFace_ = true;
    AttachWidget(edit_);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
    SetTabStop(true);
    QObject::connect(edit_, &QLineEdit::textChanged, [this] {
        if (!Dying())
            Guarded([this] { Change(); });
    });
}

String TEdit::GetTextValue() const { return edit_->text().toStdString(); }

void TEdit::SetTextValue(const String &s)
{
    if (Q(s) == edit_->text())
        return;
    edit_->setText(Q(s));
}

void TEdit::Change()
{
    if (!Loading() && OnChange)
        OnChange(this);
}

bool TEdit::ReadOnly() const { return edit_->isReadOnly(); }
void TEdit::SetReadOnly(bool v) { edit_->setReadOnly(v); }
int TEdit::SelStart() const { return edit_->hasSelectedText() ? edit_->selectionStart() : edit_->cursorPosition(); }
void TEdit::SetSelStart(int v) { edit_->setCursorPosition(v); }
int TEdit::SelLength() const { return static_cast<int>(edit_->selectedText().size()); }

void TEdit::SetSelLength(int v)
{
    const int start = SelStart();
    edit_->setSelection(start, v);
}

void TEdit::SelectAll() { edit_->selectAll(); }

int TEdit::Room() const
{
    if (maxLength_ <= 0)
        return INT32_MAX;
    const int kept = static_cast<int>(edit_->text().size() - edit_->selectedText().size());
    return std::max(0, maxLength_ - kept);
}

bool TEdit::FilterKey(QKeyEvent *e)
{
    if (edit_->isReadOnly())
        return false;
    if (e->matches(QKeySequence::Paste)) {
        const QString text = QApplication::clipboard()->text();
        edit_->insert(text.left(Room()));
        return true;
    }
    const QString t = e->text();
    const bool printable = !t.isEmpty() && t[0].isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    return printable && Room() < t.size();
}

void TEdit::InsertChar(char32_t key)
{
    if (edit_->isReadOnly() || key < 32 || Room() < 1)
        return;
    edit_->insert(QString::fromUcs4(&key, 1));
}

// ---------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent *owner) : TWinControl(owner), button_(new QPushButton)
{
    button_->setAutoDefault(false);
    AttachWidget(button_);
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    QObject::connect(button_, &QPushButton::clicked, [this] {
        if (!Dying())
            Guarded([this] { Click(); });
    });
}

void TButton::TextChanged() { button_->setText(Q(text_)); }

void TButton::SetDefault(bool v)
{
    default_ = v;
    TForm *f = ParentForm();
    FocusChanged(f ? f->ActiveControl() : nullptr);
}

void TButton::Click()
{
    if (TForm *f = ParentForm())
        f->SetModalResult(modalResult_);
    TWinControl::Click();
}

void TButton::FocusChanged(TWinControl *focused)
{
    const bool was = active_;
    if (dynamic_cast<TButton *>(focused))
        active_ = focused == this;
    else
        active_ = default_;
    if (was != active_)
        Invalidate();
}

bool TButton::DialogKey(uint16_t key, TShiftState shift)
{
    if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) && (shift & (ssShift | ssCtrl | ssAlt)) == 0 &&
        CanFocus()) {
        Click();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent *owner) : TWinControl(owner), box_(new QCheckBox)
{
    AttachWidget(box_);
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    QObject::connect(box_, &QCheckBox::toggled, [this] {
        if (!Dying() && !Loading())
            Guarded([this] { Click(); });
    });
}

bool TCheckBox::Checked() const { return box_->isChecked(); }
void TCheckBox::SetChecked(bool v) { box_->setChecked(v); }
void TCheckBox::TextChanged() { box_->setText(Q(text_)); }

// ---------------------------------------------------------------------------
// TComboBox

namespace {
// A list whose pop-up (a frame of its own with the list view) is made when
// the list is first opened. QComboBox makes it on the first font change, to
// hand it the font; a window's lists mostly never open, and every palette
// change afterwards is passed on to the pop-up too. The pop-up is the list's
// only child that is a window of its own (the editing field is not); that is
// how it is recognised, whoever made it.
class ListWidget : public QComboBox {
public:
    void showPopup() override
    {
        if (!popupHasFont_) {
            // Makes the pop-up, which takes the list's palette as it is
            // made, and hands it the font as a font change would have.
            view();
            QEvent fontChange(QEvent::FontChange);
            QComboBox::changeEvent(&fontChange);
        }
        QComboBox::showPopup();
    }

protected:
    void changeEvent(QEvent *e) override
    {
        if (e->type() == QEvent::FontChange) {
            // A list with an editing field takes all of Qt's handling, which
            // places the field after the font (and makes the pop-up).
            popupHasFont_ = lineEdit() || HasPopup();
            if (!popupHasFont_) {
                QWidget::changeEvent(e);
                return;
            }
        }
        QComboBox::changeEvent(e);
    }

private:
    bool HasPopup() const
    {
        for (const QObject *o : children())
            if (o->isWidgetType() && static_cast<const QWidget *>(o)->isWindow())
                return true;
        return false;
    }
    bool popupHasFont_ = false;
};
} // namespace

TComboBox::TComboBox(TComponent *owner)
    : TWinControl(owner), combo_(new ListWidget), items_(std::make_unique<TControlStrings>([this] { Reload(); }))
{
    combo_->setInsertPolicy(QComboBox::NoInsert);
    baseFace_ = true;
    AttachWidget(combo_);
    // A window's description mostly turns its lists into drop-down lists:
    // the editing field is made once the style is settled, instead of being
    // made for the default style and thrown away.
    if (!Loading())
        ApplyStyle();
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    QObject::connect(combo_, qOverload<int>(&QComboBox::activated), [this](int i) {
        if (!Dying())
            Guarded([this, i] { Picked(i); });
    });
    QObject::connect(combo_, &QComboBox::editTextChanged, [this] {
        if (Dying() || updating_ || !combo_->lineEdit() || !combo_->lineEdit()->isModified())
            return;
        Guarded([this] {
            itemIndex_ = items_->IndexOf(GetTextValue());
            if (OnChange)
                OnChange(this);
        });
    });
}

TComboBox::~TComboBox() = default;

void TComboBox::Reload()
{
    updating_ = true;
    combo_->clear();
    for (const String &s : items_->Lines())
        combo_->addItem(Q(s));
    if (itemIndex_ >= items_->Count())
        itemIndex_ = -1;
    combo_->setCurrentIndex(itemIndex_);
    for (const auto &[i, c] : itemColors_)
        if (i < combo_->count())
            combo_->setItemData(i, ToQColor(c), Qt::ForegroundRole);
    updating_ = false;
    ShowItemColor();
}

TColor TComboBox::TextColor() const
{
    const bool own = itemIndex_ >= 0 && (style_ == TComboBoxStyle::csOwnerDrawFixed ||
                                         style_ == TComboBoxStyle::csOwnerDrawVariable);
    return own ? ItemColor(itemIndex_) : Font().Color();
}

// The text colours are part of the font's look.
void TComboBox::ShowItemColor() { ApplyFont(); }

void TComboBox::Picked(int index)
{
    itemIndex_ = index;
    ShowItemColor();
    if (OnChange)
        OnChange(this);
}

void TComboBox::SetItemIndex(int i)
{
    if (i < -1 || i >= items_->Count())
        i = -1;
    Settle();
    itemIndex_ = i;
    updating_ = true;
    combo_->setCurrentIndex(i);
    if (i < 0 && combo_->isEditable())
        combo_->setEditText(QString());
    updating_ = false;
    ShowItemColor();
}

void TComboBox::SetStyle(TComboBoxStyle s)
{
    style_ = s;
    if (styled_ || !Loading())
        ApplyStyle();
}

void TComboBox::Loaded()
{
    TWinControl::Loaded();
    if (!styled_)
        ApplyStyle();
}

void TComboBox::Settle() const
{
    if (!styled_)
        const_cast<TComboBox *>(this)->ApplyStyle();
}

void TComboBox::ApplyStyle()
{
    styled_ = true;
    updating_ = true;
    const bool editable = style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple;
    if (editable != combo_->isEditable()) {
        combo_->setEditable(editable);
        if (editable && combo_->lineEdit())
            Bridge()->Watch(combo_->lineEdit());
    }
    combo_->setCurrentIndex(itemIndex_);
    updating_ = false;
    ShowItemColor();
}

String TComboBox::GetTextValue() const
{
    Settle();
    if (combo_->isEditable())
        return combo_->currentText().toStdString();
    return itemIndex_ >= 0 ? items_->Strings(itemIndex_) : String();
}

void TComboBox::SetTextValue(const String &s)
{
    Settle();
    const int i = items_->IndexOf(s);
    if (!combo_->isEditable()) {
        // A drop-down list only shows its items.
        if (i >= 0)
            SetItemIndex(i);
        return;
    }
    updating_ = true;
    itemIndex_ = i;
    combo_->setCurrentIndex(i);
    combo_->setEditText(Q(s));
    updating_ = false;
}

void TComboBox::SetItemColor(int index, TColor c)
{
    for (auto &entry : itemColors_)
        if (entry.first == index) {
            entry.second = c;
            Reload();
            return;
        }
    itemColors_.emplace_back(index, c);
    Reload();
}

TColor TComboBox::ItemColor(int index) const
{
    for (const auto &entry : itemColors_)
        if (entry.first == index)
            return entry.second;
    return Font().Color();
}

} // namespace plat
