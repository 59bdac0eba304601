// First window: proves that the program starts on the window layer, that the
// compiled-in assets are found and decoded, and that the display shows them.
// The start-up sequence with its splash, progress and main windows replaces it.
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Streams.h"
#include "platform/Threads.h"

#include <QApplication>

using namespace plat;

namespace {

class TZIBstart : public TForm {
public:
    explicit TZIBstart(TComponent *owner) : TForm(owner)
    {
        TLoadingScope loading(*this);
        SetName("ZIBstart");
        SetCaption("Zibolka Test Revised");
        SetPosition(TPosition::poScreenCenter);
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetColor(clBlack);
        SetClientWidth(800);
        SetClientHeight(600);
        Background = new TImage(this);
        Background->SetName("Background");
        Background->SetParent(this);
        Background->SetAlign(TAlign::alClient);
        Background->SetStretch(true);
        OnCreate = [this](TObject *) {
            TResourceStream stream("jpg", "ZIBbckgr1");
            Background->Picture().LoadFromStream(stream);
        };
    }
    TImage *Background;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Application()->Initialize();
    Application()->SetTitle("Zibolka Test Revised");
    // Errors of the players' callback threads are shown on this thread.
    SetThreadErrorHandler([](const String &message) { Application()->ShowException(Exception(message)); });
    TZIBstart *start = nullptr;
    try {
        Application()->CreateForm(start);
    } catch (...) {
        Application()->HandleException(Application());
    }
    Application()->Run();
    return 0;
}
