#pragma once
// The poppler and qpdf tools that read the program's PDF files back.
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <string>

namespace reporttest {

inline bool HaveTool(const char *name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

// The tool's standard output; its exit code in exitCode.
inline std::string RunTool(const QString &tool, const QStringList &args, int &exitCode)
{
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(60000);
    exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput().toStdString();
}

// qpdf --check passes.
inline bool QpdfChecks(const std::string &file)
{
    int code = -1;
    RunTool("qpdf", {"--check", QString::fromStdString(file)}, code);
    return code == 0;
}

// The text of the file as pdftotext reads it.
inline std::string PdfText(const std::string &file)
{
    int code = -1;
    return RunTool("pdftotext", {QString::fromStdString(file), "-"}, code);
}

} // namespace reporttest
