#include "platform/gui/Menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <algorithm>
#include <cctype>

namespace plat {

namespace {
struct KeyName {
    uint16_t key;
    const char *name;
};
const KeyName kNames[] = {
    {VK_BACK, "BkSp"}, {VK_TAB, "Tab"}, {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},
    {VK_HOME, "Home"}, {VK_LEFT, "Left"}, {VK_UP, "Up"}, {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"}, {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

String Lower(String s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

String KeyText(uint16_t key)
{
    for (const KeyName &k : kNames)
        if (k.key == key)
            return k.name;
    if (key >= VK_F1 && key < VK_F1 + 24)
        return "F" + std::to_string(key - VK_F1 + 1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return String(1, static_cast<char>(key));
    return {};
}

QKeySequence QtSequence(TShortCut s)
{
    if (!s)
        return {};
    const int key = QtKeyFromVirtualKey(s & 0xFF);
    if (!key)
        return {};
    int mods = 0;
    if (s & scShift)
        mods |= Qt::SHIFT;
    if (s & scCtrl)
        mods |= Qt::CTRL;
    if (s & scAlt)
        mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

// "&Vorig formaat" shows as Qt's mnemonic already; "&&" is a literal "&" in both.
QString QtCaption(const String &caption) { return QString::fromStdString(caption); }
} // namespace

TShortCut ShortCut(uint16_t key, TShiftState shift)
{
    TShortCut s = key & 0xFF;
    if (shift & ssShift)
        s |= scShift;
    if (shift & ssCtrl)
        s |= scCtrl;
    if (shift & ssAlt)
        s |= scAlt;
    return s;
}

TShortCut TextToShortCut(const String &text)
{
    String rest = text;
    TShortCut mods = 0;
    for (;;) {
        const String l = Lower(rest);
        if (l.rfind("shift+", 0) == 0) {
            mods |= scShift;
            rest = rest.substr(6);
        } else if (l.rfind("ctrl+", 0) == 0) {
            mods |= scCtrl;
            rest = rest.substr(5);
        } else if (l.rfind("alt+", 0) == 0) {
            mods |= scAlt;
            rest = rest.substr(4);
        } else
            break;
    }
    const String l = Lower(rest);
    for (uint16_t k = 1; k < 256; ++k) {
        const String name = KeyText(k);
        if (!name.empty() && Lower(name) == l)
            return static_cast<TShortCut>(mods | k);
    }
    return 0;
}

String ShortCutToText(TShortCut s)
{
    const String key = KeyText(s & 0xFF);
    if (key.empty())
        return {};
    String out;
    if (s & scShift)
        out += "Shift+";
    if (s & scCtrl)
        out += "Ctrl+";
    if (s & scAlt)
        out += "Alt+";
    return out + key;
}

TMenuItem::TMenuItem(TComponent *owner) : TComponent(owner)
{
    action_ = new QAction;
    action_->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(action_, &QAction::triggered, [this] { Guarded([this] { Click(); }); });
}

TMenuItem::~TMenuItem()
{
    if (parent_)
        parent_->items_.erase(std::remove(parent_->items_.begin(), parent_->items_.end(), this),
                              parent_->items_.end());
    for (TMenuItem *i : items_)
        i->parent_ = nullptr;
    delete action_;
}

void TMenuItem::Sync()
{
    action_->setText(QtCaption(caption_));
    action_->setEnabled(enabled_);
    action_->setVisible(visible_);
    action_->setCheckable(checked_);
    action_->setChecked(checked_);
    action_->setShortcut(QtSequence(shortCut_));
    action_->setSeparator(caption_ == "-");
}

void TMenuItem::SetCaption(const String &c) { caption_ = c; Sync(); }
void TMenuItem::SetEnabled(bool v) { enabled_ = v; Sync(); }
void TMenuItem::SetVisible(bool v) { visible_ = v; Sync(); }
void TMenuItem::SetChecked(bool v) { checked_ = v; Sync(); }
void TMenuItem::SetShortCut(TShortCut s) { shortCut_ = s; Sync(); }

void TMenuItem::Add(TMenuItem *item)
{
    if (item->parent_)
        item->parent_->items_.erase(std::remove(item->parent_->items_.begin(), item->parent_->items_.end(), item),
                                    item->parent_->items_.end());
    item->parent_ = this;
    items_.push_back(item);
    QMenu *menu = action_->menu();
    if (!menu && action_->property("rootMenu").isValid())
        menu = static_cast<QMenu *>(action_->property("rootMenu").value<QObject *>());
    if (!menu) {
        menu = new QMenu;
        action_->setMenu(menu);
    }
    menu->addAction(item->action_);
}

void TMenuItem::Click()
{
    if (enabled_ && OnClick)
        OnClick(this);
}

TPopupMenu::TPopupMenu(TComponent *owner) : TComponent(owner), menu_(std::make_unique<QMenu>())
{
    root_ = new TMenuItem(this);
    root_->Action()->setProperty("rootMenu", QVariant::fromValue<QObject *>(menu_.get()));
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Popup(int x, int y)
{
    if (OnPopup)
        OnPopup(this);
    menu_->popup(QPoint(x, y));
}

bool TPopupMenu::IsShortCut(TShortCut s)
{
    std::vector<TMenuItem *> stack{root_};
    while (!stack.empty()) {
        TMenuItem *m = stack.back();
        stack.pop_back();
        for (int i = 0; i < m->Count(); ++i) {
            TMenuItem *it = m->Items(i);
            if (it->ShortCut() == s && it->Enabled() && it->Visible()) {
                it->Click();
                return true;
            }
            stack.push_back(it);
        }
    }
    return false;
}

} // namespace plat
