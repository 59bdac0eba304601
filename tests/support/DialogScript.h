#pragma once
// Scripted answers for message boxes and dialogs. While a script is alive
// every box and dialog of the program comes here instead of the screen: the
// next expected answer is given, the request is kept for the test to read,
// and a box that the script does not expect fails the test (answered as if
// it had been closed), so that no test ever waits for a person.
#include "platform/gui/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace zibor::test {

class TDialogScript : public plat::TDialogProvider {
public:
    TDialogScript();
    ~TDialogScript() override;
    TDialogScript(const TDialogScript &) = delete;
    TDialogScript &operator=(const TDialogScript &) = delete;

    // The next message box is answered with result; when textPart is given,
    // the box must contain it.
    TDialogScript &Answer(int result, const std::string &textPart = {});
    // The next file or folder dialog of that kind is confirmed with fileName.
    TDialogScript &Choose(plat::TDialogKind kind, const std::string &fileName);
    // The next dialog of that kind is cancelled, or confirmed (printer
    // set-up; a shell open that the desktop takes).
    TDialogScript &Cancel(plat::TDialogKind kind);
    TDialogScript &Confirm(plat::TDialogKind kind);

    const std::vector<plat::TDialogRequest> &Shown() const { return shown_; }
    // The texts of the message boxes shown, in order.
    std::vector<std::string> Texts() const;
    std::string LastText() const;
    size_t Pending() const { return expected_.size(); }
    // Fails for answers the program did not ask for; the destructor checks too.
    void VerifyAllUsed();

    plat::TDialogReply Run(const plat::TDialogRequest &request) override;

private:
    struct Expected {
        plat::TDialogKind kind;
        std::string textPart;
        plat::TDialogReply reply;
    };
    std::deque<Expected> expected_;
    std::vector<plat::TDialogRequest> shown_;
    plat::TDialogProvider *previous_;
    bool verified_ = false;
};

std::string Describe(const plat::TDialogRequest &r);

} // namespace zibor::test
