#pragma once
// Message boxes and the file, printer and folder dialogs. Every one of them
// is described by a TDialogRequest and goes through one provider: the real
// one shows Qt dialogs; a test installs its own, answers from a script and
// keeps the texts shown.
#include "platform/core/Component.h"
#include "platform/core/Types.h"

#include <vector>

namespace plat {

// ShellOpen is no dialog, but leaves the program just as one does: the
// desktop opens a folder or file in its own program.
enum class TDialogKind { Message, OpenFile, SaveFile, PrinterSetup, Folder, ShellOpen };

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                        mbYesToAll, mbHelp, mbClose };
using TMsgDlgButtons = std::vector<TMsgDlgBtn>;
using enum TMsgDlgType;
using enum TMsgDlgBtn;

struct TDialogButton {
    int Result = mrNone;
    String Caption;
};

struct TDialogRequest {
    TDialogKind Kind = TDialogKind::Message;
    // Message boxes.
    String Caption;
    String Text;
    TMsgDlgType Type = mtCustom;
    std::vector<TDialogButton> Buttons;
    int DefaultResult = mrNone;
    int CloseResult = mrCancel; // what closing the box without a button gives
    String FontName;            // empty: the system's
    int FontSize = 0;
    TColor TextColor = clDefault;
    // File and folder dialogs.
    String Title;
    String Filter; // "description|pattern|description|pattern"
    int FilterIndex = 1;
    String DefaultExt;
    String InitialDir;
    String FileName;
    unsigned Options = 0;
};

struct TDialogReply {
    int Result = mrCancel; // message boxes: the button's result; dialogs: mrOk or mrCancel
    String FileName;       // dialogs: the chosen file or folder
    int FilterIndex = 1;
};

class TDialogProvider {
public:
    virtual ~TDialogProvider() = default;
    virtual TDialogReply Run(const TDialogRequest &request) = 0;
};

// Installs a provider (nullptr: the real dialogs) and returns the previous one.
TDialogProvider *SetDialogProvider(TDialogProvider *provider);
TDialogReply RunDialog(const TDialogRequest &request);

// A file dialog's filter, "description|pattern;pattern|...", as the name
// filters the dialog lists, one per pair.
std::vector<String> NameFilters(const String &filter);

// The framework's message dialog: caption after the type, buttons in the
// framework's order. Returns the modal result of the button chosen.
int MessageDlg(const String &msg, TMsgDlgType type, const TMsgDlgButtons &buttons, int helpContext = 0);
void ShowMessage(const String &msg);

// The system's message box: flags and results as MB_* and ID* below.
constexpr unsigned MB_OK = 0, MB_OKCANCEL = 1, MB_ABORTRETRYIGNORE = 2, MB_YESNOCANCEL = 3,
                   MB_YESNO = 4, MB_RETRYCANCEL = 5, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10,
                   MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONWARNING = 0x30, MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40,
                   MB_DEFBUTTON1 = 0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;
int MessageBox(const String &text, const String &caption, unsigned flags);

// A message box whose buttons, default button and text font the caller sets.
class TMessageDialog {
public:
    TMessageDialog(const String &msg, TMsgDlgType type, const TMsgDlgButtons &buttons);
    String Caption;
    String Text;
    TMsgDlgType Type;
    std::vector<TDialogButton> Buttons;
    int DefaultResult = mrNone;
    String FontName;
    int FontSize = 0;
    TColor TextColor = clDefault;
    TDialogButton *Button(int result);
    int ShowModal();
};

String ButtonCaption(TMsgDlgBtn b);
int ButtonResult(TMsgDlgBtn b);

// Options of the file dialogs.
constexpr unsigned ofReadOnly = 1u << 0, ofOverwritePrompt = 1u << 1, ofHideReadOnly = 1u << 2,
                   ofNoChangeDir = 1u << 3, ofShowHelp = 1u << 4, ofNoValidate = 1u << 5,
                   ofAllowMultiSelect = 1u << 6, ofExtensionDifferent = 1u << 7,
                   ofPathMustExist = 1u << 8, ofFileMustExist = 1u << 9, ofCreatePrompt = 1u << 10,
                   ofEnableSizing = 1u << 23;

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    TNotifyEvent OnShow;
    TNotifyEvent OnClose;
    virtual bool Execute() = 0;
};

// Open and save dialogs. A confirmed name without an extension gets
// DefaultExt; unless ofNoChangeDir is set, the current folder becomes the
// chosen file's folder.
class TOpenDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    String Title;
    String Filter;
    int FilterIndex = 1;
    String DefaultExt;
    String InitialDir;
    String FileName;
    unsigned Options = ofHideReadOnly | ofEnableSizing;
    bool Execute() override;

protected:
    virtual TDialogKind Kind() const { return TDialogKind::OpenFile; }
};

class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;

protected:
    TDialogKind Kind() const override { return TDialogKind::SaveFile; }
};

class TPrinterSetupDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    bool Execute() override;
};

// The folder dialog: true and the chosen folder in directory when confirmed.
bool SelectDirectory(const String &caption, const String &root, String &directory);

// The shell's "open" of a folder or file (the folder in the file browser);
// true when the desktop took it.
bool ShellOpen(const String &path);

} // namespace plat
