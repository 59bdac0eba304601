#include "platform/gui/Dialogs.h"
#include "platform/printing/Printers.h"

#include "platform/core/Files.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiColor.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QUrl>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>

namespace plat {

namespace {

QString Q(const String &s) { return QString::fromStdString(s); }

QString QtFilter(const String &filter, int index, QString *selected)
{
    QStringList out;
    for (const String &f : NameFilters(filter))
        out << Q(f);
    if (selected && index >= 1 && index <= out.size())
        *selected = out[index - 1];
    return out.join(";;");
}

// The print dialog on the program's printer. It offers no file and no page
// range of the program's own: the report prints whole, through a queue.
bool PrinterSetup()
{
    QPrinter qp;
    if (!PrepareSetupPrinter(qp))
        return false;
    QPrintDialog dialog(&qp);
    // What a job cannot carry is not offered: the report is one page, and a
    // file would bypass the queue the test leader chose.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    KeepAboveActiveWindow(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return TakeSetupPrinter(qp);
}

class QtDialogs : public TDialogProvider {
public:
    TDialogReply Run(const TDialogRequest &r) override
    {
        switch (r.Kind) {
        case TDialogKind::Message:
            return Message(r);
        case TDialogKind::OpenFile:
        case TDialogKind::SaveFile:
            return File(r);
        case TDialogKind::PrinterSetup: {
            TDialogReply reply;
            reply.Result = PrinterSetup() ? mrOk : mrCancel;
            return reply;
        }
        case TDialogKind::ShellOpen: {
            TDialogReply reply;
            const bool ok = QDesktopServices::openUrl(QUrl::fromLocalFile(Q(MapPath(r.FileName))));
            reply.Result = ok ? mrOk : mrCancel;
            return reply;
        }
        case TDialogKind::Folder: {
            TDialogReply reply;
            TForm *active = Screen()->ActiveForm();
            const QString dir = QFileDialog::getExistingDirectory(active ? active->Widget() : nullptr, Q(r.Title),
                                                                  Q(MapPath(r.InitialDir)));
            reply.Result = dir.isEmpty() ? mrCancel : mrOk;
            reply.FileName = dir.toStdString();
            return reply;
        }
        }
        return {};
    }

private:
    static TDialogReply Message(const TDialogRequest &r)
    {
        QMessageBox box;
        box.setWindowTitle(Q(r.Caption));
        box.setText(Q(r.Text));
        switch (r.Type) {
        case mtWarning:
            box.setIcon(QMessageBox::Warning);
            break;
        case mtError:
            box.setIcon(QMessageBox::Critical);
            break;
        case mtInformation:
            box.setIcon(QMessageBox::Information);
            break;
        case mtConfirmation:
            box.setIcon(QMessageBox::Question);
            break;
        case mtCustom:
            break;
        }
        if (!r.FontName.empty() || r.FontSize > 0) {
            QFont f = box.font();
            if (!r.FontName.empty())
                f.setFamily(Q(r.FontName));
            if (r.FontSize > 0)
                f.setPointSize(r.FontSize);
            box.setFont(f);
        }
        if (r.TextColor != clDefault)
            box.setStyleSheet("QLabel { color: " + ToQColor(r.TextColor).name() + "; }");
        std::vector<std::pair<QAbstractButton *, int>> buttons;
        for (const TDialogButton &b : r.Buttons) {
            QPushButton *pb = box.addButton(Q(b.Caption), QMessageBox::ActionRole);
            buttons.emplace_back(pb, b.Result);
            if (b.Result == r.DefaultResult)
                box.setDefaultButton(pb);
        }
        KeepAboveActiveWindow(&box);
        box.exec();
        TDialogReply reply;
        reply.Result = r.CloseResult;
        for (const auto &[button, result] : buttons)
            if (box.clickedButton() == button)
                reply.Result = result;
        return reply;
    }

    static TDialogReply File(const TDialogRequest &r)
    {
        QFileDialog dlg;
        dlg.setWindowTitle(Q(r.Title));
        dlg.setAcceptMode(r.Kind == TDialogKind::SaveFile ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(r.Kind == TDialogKind::SaveFile ? QFileDialog::AnyFile
                        : (r.Options & ofFileMustExist) ? QFileDialog::ExistingFile
                                                         : QFileDialog::AnyFile);
        if (!(r.Options & ofOverwritePrompt))
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        QString selected;
        const QString filter = QtFilter(r.Filter, r.FilterIndex, &selected);
        if (!filter.isEmpty())
            dlg.setNameFilter(filter);
        if (!selected.isEmpty())
            dlg.selectNameFilter(selected);
        if (!r.InitialDir.empty())
            dlg.setDirectory(Q(MapPath(r.InitialDir)));
        if (!r.FileName.empty())
            dlg.selectFile(Q(MapPath(r.FileName)));
        if (!r.DefaultExt.empty())
            dlg.setDefaultSuffix(Q(r.DefaultExt));
        TDialogReply reply;
        KeepAboveActiveWindow(&dlg);
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return reply;
        reply.Result = mrOk;
        reply.FileName = dlg.selectedFiles().front().toStdString();
        return reply;
    }
};

QtDialogs g_qtDialogs;
TDialogProvider *g_provider = nullptr;

TMsgDlgButtons InOrder(const TMsgDlgButtons &wanted)
{
    // The framework lays the buttons out in its own order, whatever the caller's.
    TMsgDlgButtons out;
    for (TMsgDlgBtn b : {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                         mbYesToAll, mbHelp, mbClose})
        if (std::find(wanted.begin(), wanted.end(), b) != wanted.end())
            out.push_back(b);
    return out;
}

String TypeCaption(TMsgDlgType t)
{
    switch (t) {
    case mtWarning:
        return "Waarschuwing";
    case mtError:
        return "Fout";
    case mtInformation:
        return "Informatie";
    case mtConfirmation:
        return "Bevestigen";
    case mtCustom:
        break;
    }
    return Application()->Title();
}

} // namespace

std::vector<String> NameFilters(const String &filter)
{
    const QStringList parts = Q(filter).split('|');
    std::vector<String> out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // Qt reads the patterns from the parentheses at the end of the text;
        // a text that already ends with them is shown as it is written.
        const QString suffix = " (" + patterns + ")";
        out.push_back((parts[i].endsWith(suffix) ? parts[i] : parts[i] + suffix).toStdString());
    }
    return out;
}

TDialogProvider *SetDialogProvider(TDialogProvider *provider)
{
    TDialogProvider *old = g_provider;
    g_provider = provider;
    return old;
}

TDialogReply RunDialog(const TDialogRequest &request)
{
    return (g_provider ? g_provider : &g_qtDialogs)->Run(request);
}

String ButtonCaption(TMsgDlgBtn b)
{
    switch (b) {
    case mbYes:
        return "&Ja";
    case mbNo:
        return "&Nee";
    case mbOK:
        return "OK";
    case mbCancel:
        return "Annuleren";
    case mbAbort:
        return "&Afbreken";
    case mbRetry:
        return "&Opnieuw";
    case mbIgnore:
        return "&Negeren";
    case mbAll:
        return "&Alles";
    case mbNoToAll:
        return "N&ee op alles";
    case mbYesToAll:
        return "Ja op &alles";
    case mbHelp:
        return "&Help";
    case mbClose:
        return "&Sluiten";
    }
    return {};
}

int ButtonResult(TMsgDlgBtn b)
{
    switch (b) {
    case mbYes:
        return mrYes;
    case mbNo:
        return mrNo;
    case mbOK:
        return mrOk;
    case mbCancel:
        return mrCancel;
    case mbAbort:
        return mrAbort;
    case mbRetry:
        return mrRetry;
    case mbIgnore:
        return mrIgnore;
    case mbAll:
        return 8;
    case mbNoToAll:
        return 9;
    case mbYesToAll:
        return 10;
    case mbHelp:
    case mbClose:
        return 11;
    }
    return mrNone;
}

TMessageDialog::TMessageDialog(const String &msg, TMsgDlgType type, const TMsgDlgButtons &buttons)
    : Caption(TypeCaption(type)), Text(msg), Type(type)
{
    const TMsgDlgButtons ordered = InOrder(buttons);
    for (TMsgDlgBtn b : ordered)
        Buttons.push_back({ButtonResult(b), ButtonCaption(b)});
    auto has = [&](TMsgDlgBtn b) { return std::find(ordered.begin(), ordered.end(), b) != ordered.end(); };
    if (has(mbOK))
        DefaultResult = mrOk;
    else if (has(mbYes))
        DefaultResult = mrYes;
    else if (!ordered.empty())
        DefaultResult = ButtonResult(ordered.front());
}

TDialogButton *TMessageDialog::Button(int result)
{
    for (TDialogButton &b : Buttons)
        if (b.Result == result)
            return &b;
    return nullptr;
}

int TMessageDialog::ShowModal()
{
    TDialogRequest r;
    r.Kind = TDialogKind::Message;
    r.Caption = Caption;
    r.Text = Text;
    r.Type = Type;
    r.Buttons = Buttons;
    r.DefaultResult = DefaultResult;
    r.CloseResult = mrCancel;
    r.FontName = FontName;
    r.FontSize = FontSize;
    r.TextColor = TextColor;
    return RunDialog(r).Result;
}

int MessageDlg(const String &msg, TMsgDlgType type, const TMsgDlgButtons &buttons, int)
{
    return TMessageDialog(msg, type, buttons).ShowModal();
}

void ShowMessage(const String &msg)
{
    TMessageDialog d(msg, mtCustom, {mbOK});
    d.Caption = Application()->Title();
    d.ShowModal();
}

int MessageBox(const String &text, const String &caption, unsigned flags)
{
    static const std::vector<std::vector<TDialogButton>> kSets = {
        {{IDOK, "OK"}},
        {{IDOK, "OK"}, {IDCANCEL, "Annuleren"}},
        {{IDABORT, "&Afbreken"}, {IDRETRY, "&Opnieuw"}, {IDIGNORE, "&Negeren"}},
        {{IDYES, "&Ja"}, {IDNO, "&Nee"}, {IDCANCEL, "Annuleren"}},
        {{IDYES, "&Ja"}, {IDNO, "&Nee"}},
        {{IDRETRY, "&Opnieuw"}, {IDCANCEL, "Annuleren"}},
    };
    const unsigned set = flags & 0xF;
    TDialogRequest r;
    r.Kind = TDialogKind::Message;
    r.Caption = caption;
    r.Text = text;
    switch (flags & 0xF0) {
    case MB_ICONSTOP:
        r.Type = mtError;
        break;
    case MB_ICONQUESTION:
        r.Type = mtConfirmation;
        break;
    case MB_ICONWARNING:
        r.Type = mtWarning;
        break;
    case MB_ICONINFORMATION:
        r.Type = mtInformation;
        break;
    default:
        r.Type = mtCustom;
    }
    r.Buttons = set < kSets.size() ? kSets[set] : kSets[0];
    const size_t def = (flags >> 8) & 0xF;
    r.DefaultResult = r.Buttons[def < r.Buttons.size() ? def : 0].Result;
    // A box without Cancel can only be closed with its one button or not at all.
    r.CloseResult = IDCANCEL;
    if (set == MB_OK)
        r.CloseResult = IDOK;
    else if (set == MB_YESNO || set == MB_ABORTRETRYIGNORE)
        r.CloseResult = mrNone;
    return RunDialog(r).Result;
}

bool TOpenDialog::Execute()
{
    TDialogRequest r;
    r.Kind = Kind();
    r.Title = Title;
    r.Filter = Filter;
    r.FilterIndex = FilterIndex;
    r.DefaultExt = DefaultExt;
    r.InitialDir = InitialDir;
    r.FileName = FileName;
    r.Options = Options;
    if (OnShow)
        OnShow(this);
    const TDialogReply reply = RunDialog(r);
    const bool ok = reply.Result == mrOk && !reply.FileName.empty();
    if (ok) {
        String name = reply.FileName;
        if (!DefaultExt.empty() && ExtractFileExt(name).empty())
            name += "." + DefaultExt;
        FileName = name;
        FilterIndex = reply.FilterIndex;
        if (!(Options & ofNoChangeDir))
            SetCurrentDir(ExtractFilePath(name));
    }
    if (OnClose)
        OnClose(this);
    return ok;
}

bool TPrinterSetupDialog::Execute()
{
    TDialogRequest r;
    r.Kind = TDialogKind::PrinterSetup;
    r.Title = "Printerinstelling";
    if (OnShow)
        OnShow(this);
    const bool ok = RunDialog(r).Result == mrOk;
    if (OnClose)
        OnClose(this);
    return ok;
}

bool SelectDirectory(const String &caption, const String &root, String &directory)
{
    TDialogRequest r;
    r.Kind = TDialogKind::Folder;
    r.Title = caption;
    r.InitialDir = directory.empty() ? root : directory;
    const TDialogReply reply = RunDialog(r);
    if (reply.Result != mrOk || reply.FileName.empty())
        return false;
    directory = reply.FileName;
    return true;
}

bool ShellOpen(const String &path)
{
    TDialogRequest r;
    r.Kind = TDialogKind::ShellOpen;
    r.Title = "open";
    r.FileName = path;
    return RunDialog(r).Result == mrOk;
}

} // namespace plat
