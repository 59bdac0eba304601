// The program's windows as the start-up builds them: every control's widget
// shows the font and colours that the control holds, also after a change
// once the window is built; the correction window's lists make their pop-up
// only when one is opened, and it then shows what a list opened at once
// would show.
#include "windows/CorrectionWindow.h"
#include "windows/MainWindow.h"
#include "platform/gui/GuiColor.h"
#include "platform/gui/StdCtrls.h"
#include "tests/windows/ProgramWindows.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace plat;
using namespace zibor::test;

namespace {

class ControlLooks : public ProgramWindows {};

void ForEachControl(TWinControl &root, const std::function<void(TControl &)> &f)
{
    for (int i = 0; i < root.ControlCount(); ++i) {
        TControl &c = *root.Controls(i);
        f(c);
        if (auto *w = dynamic_cast<TWinControl *>(&c))
            ForEachControl(*w, f);
    }
}

// What the widget shows against what the control holds; empty when they agree.
std::string Mismatch(TControl &c)
{
    const QWidget &w = *c.Widget();
    const TFont &font = c.Font();
    std::string out;
    const int h = font.Height();
    if (w.font().family() != QString::fromStdString(font.Name()))
        out += " family " + w.font().family().toStdString();
    if (w.font().pixelSize() != (h < 0 ? -h : h * 4 / 5))
        out += " size " + std::to_string(w.font().pixelSize());
    if (w.font().bold() != bool(font.Style() & fsBold) || w.font().italic() != bool(font.Style() & fsItalic))
        out += " style";
    const QColor text = ToQColor(font.Color());
    if (w.palette().color(QPalette::WindowText) != text || w.palette().color(QPalette::ButtonText) != text)
        out += " text colour " + w.palette().color(QPalette::WindowText).name().toStdString();
    const TColor face = c.ParentColor() && c.Parent() ? c.Parent()->Color() : c.Color();
    if (w.palette().color(QPalette::Window) != ToQColor(face))
        out += " face " + w.palette().color(QPalette::Window).name().toStdString();
    return out;
}

QAbstractItemView *PopupView(TComboBox &list)
{
    // The list view lives in the pop-up alone.
    return list.Widget()->findChild<QAbstractItemView *>();
}

} // namespace

TEST_F(ControlLooks, EveryControlShowsItsOwnFontAndColours)
{
    int checked = 0;
    TApplication &app = *Application();
    for (int i = 0; i < app.ComponentCount(); ++i) {
        auto *form = dynamic_cast<TForm *>(app.Components(i));
        if (!form)
            continue;
        SCOPED_TRACE(form->Name());
        EXPECT_EQ(Mismatch(*form), "");
        ForEachControl(*form, [&](TControl &c) {
            if (!c.Widget())
                return;
            ++checked;
            EXPECT_EQ(Mismatch(c), "") << c.Name();
        });
    }
    EXPECT_GT(checked, 200) << "the windows' controls were all looked at";
}

TEST_F(ControlLooks, AChangeOnABuiltWindowShowsAtOnce)
{
    struct Case {
        const char *what;
        TControl *control;
    };
    const Case cases[] = {
        {"label", correct->LabelCode},
        {"edit", correct->Ecode},
        {"list", correct->FWitemAcc[3]},
        {"button", correct->ButtonExit},
        {"window", correct},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        c.control->Font().SetName("Arial");
        c.control->Font().SetSize(14);
        c.control->Font().SetStyle(fsBold);
        c.control->Font().SetColor(clYellow);
        c.control->SetColor(clNavy);
        EXPECT_EQ(Mismatch(*c.control), "");
    }
    // The edit and the list are filled with their colour.
    for (TControl *c : {static_cast<TControl *>(correct->Ecode), static_cast<TControl *>(correct->FWitemAcc[3])})
        EXPECT_EQ(c->Widget()->palette().color(QPalette::Base), ToQColor(clNavy)) << c->Name();
}

TEST_F(ControlLooks, TheCorrectionWindowsListsMakeTheirPopupWhenOpened)
{
    for (auto *lists : {&correct->FWitemAcc, &correct->FVitemAcc})
        for (TComboBox *list : *lists)
            EXPECT_EQ(PopupView(*list), nullptr) << list->Name() << " has a pop-up before it was opened";

    // A plain list, its pop-up made at once by its first font, set up as the
    // window's list is: its pop-up is what the window's list must show.
    auto reference = [](TComboBox &list) {
        auto *q = new QComboBox(list.Widget()->parentWidget());
        q->setFont(list.Widget()->font());
        q->setPalette(list.Widget()->palette());
        q->addItems({"F", "G"});
        q->setGeometry(list.Widget()->geometry());
        return q;
    };
    struct Case {
        const char *what;
        int list;
        bool changeBeforeOpening, changeWhileOpen;
    };
    const Case cases[] = {
        {"as built", 0, false, false},
        {"font changed before the first opening", 1, true, false},
        {"font changed with the pop-up made", 2, false, true},
    };
    correct->Widget()->show();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TComboBox &list = *correct->FWitemAcc[c.list];
        auto *q = static_cast<QComboBox *>(list.Widget());
        auto change = [&] {
            list.Font().SetSize(12);
            list.Font().SetColor(clRed);
        };
        if (c.changeBeforeOpening)
            change();
        q->showPopup();
        if (c.changeWhileOpen) {
            change();
            EXPECT_EQ(PopupView(list)->font().pixelSize(), 16) << "the open pop-up follows the font";
            q->hidePopup();
            q->showPopup();
        }
        QComboBox *plain = reference(list);
        plain->showPopup();
        QAbstractItemView *view = PopupView(list);
        ASSERT_NE(view, nullptr);
        QWidget *popup = view->window();
        QWidget *expected = plain->view()->window();
        EXPECT_TRUE(popup->isVisible());
        EXPECT_EQ(view->font(), plain->view()->font());
        EXPECT_EQ(popup->testAttribute(Qt::WA_SetFont), expected->testAttribute(Qt::WA_SetFont))
            << "the font handed to the pop-up as its own";
        EXPECT_EQ(view->font().pixelSize(), c.changeBeforeOpening || c.changeWhileOpen ? 16 : 11);
        EXPECT_EQ(popup->palette(), expected->palette());
        EXPECT_EQ(view->palette().color(QPalette::Text), ToQColor(list.Font().Color()));
        EXPECT_EQ(popup->geometry(), expected->geometry());
        ASSERT_EQ(view->model()->rowCount(), 2);
        EXPECT_EQ(view->model()->index(1, 0).data().toString(), "G");
        EXPECT_EQ(view->visualRect(view->model()->index(1, 0)), plain->view()->visualRect(plain->model()->index(1, 0)));
        plain->hidePopup();
        q->hidePopup();
        delete plain;
    }
    correct->Widget()->hide();
}
