#include "tests/support/DialogScript.h"

#include <gtest/gtest.h>

namespace zibor::test {

using plat::TDialogKind;

namespace {
const char *KindName(TDialogKind k)
{
    switch (k) {
    case TDialogKind::Message:
        return "message box";
    case TDialogKind::OpenFile:
        return "open dialog";
    case TDialogKind::SaveFile:
        return "save dialog";
    case TDialogKind::PrinterSetup:
        return "printer set-up dialog";
    case TDialogKind::Folder:
        return "folder dialog";
    case TDialogKind::ShellOpen:
        return "shell open";
    }
    return "dialog";
}
} // namespace

std::string Describe(const plat::TDialogRequest &r)
{
    std::string s = KindName(r.Kind);
    if (r.Kind == TDialogKind::Message)
        return s + " \"" + r.Caption + "\": \"" + r.Text + "\"";
    if (r.Kind == TDialogKind::ShellOpen)
        return s + " of \"" + r.FileName + "\"";
    return s + " \"" + r.Title + "\"";
}

TDialogScript::TDialogScript() : previous_(plat::SetDialogProvider(this)) {}

TDialogScript::~TDialogScript()
{
    plat::SetDialogProvider(previous_);
    if (!verified_)
        VerifyAllUsed();
}

TDialogScript &TDialogScript::Answer(int result, const std::string &textPart)
{
    plat::TDialogReply r;
    r.Result = result;
    expected_.push_back({TDialogKind::Message, textPart, r});
    return *this;
}

TDialogScript &TDialogScript::Choose(TDialogKind kind, const std::string &fileName)
{
    plat::TDialogReply r;
    r.Result = plat::mrOk;
    r.FileName = fileName;
    expected_.push_back({kind, {}, r});
    return *this;
}

TDialogScript &TDialogScript::Cancel(TDialogKind kind)
{
    expected_.push_back({kind, {}, plat::TDialogReply{}});
    return *this;
}

TDialogScript &TDialogScript::Confirm(TDialogKind kind)
{
    plat::TDialogReply r;
    r.Result = plat::mrOk;
    expected_.push_back({kind, {}, r});
    return *this;
}

std::vector<std::string> TDialogScript::Texts() const
{
    std::vector<std::string> out;
    for (const auto &r : shown_)
        if (r.Kind == TDialogKind::Message)
            out.push_back(r.Text);
    return out;
}

std::string TDialogScript::LastText() const
{
    const auto t = Texts();
    return t.empty() ? std::string() : t.back();
}

void TDialogScript::VerifyAllUsed()
{
    verified_ = true;
    for (const Expected &e : expected_)
        ADD_FAILURE() << "the program did not show the expected " << KindName(e.kind)
                      << (e.textPart.empty() ? "" : " with \"" + e.textPart + "\"");
    expected_.clear();
}

plat::TDialogReply TDialogScript::Run(const plat::TDialogRequest &request)
{
    shown_.push_back(request);
    if (expected_.empty() || expected_.front().kind != request.Kind) {
        ADD_FAILURE() << "unexpected " << Describe(request);
        plat::TDialogReply closed;
        closed.Result = request.Kind == TDialogKind::Message ? request.CloseResult : plat::mrCancel;
        return closed;
    }
    Expected e = expected_.front();
    expected_.pop_front();
    if (!e.textPart.empty() && request.Text.find(e.textPart) == std::string::npos)
        ADD_FAILURE() << "expected a box with \"" << e.textPart << "\", got " << Describe(request);
    return e.reply;
}

} // namespace zibor::test
