// First window: proves that the program starts, that the compiled-in assets
// are found and that the display shows them. The start-up sequence with its
// splash, progress and main windows replaces it.
#include "platform/Exceptions.h"
#include "platform/Streams.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <vector>

namespace {

QImage ResourceImage(const char *type, const char *name)
{
    std::vector<uint8_t> bytes;
    if (!plat::FindResourceBytes(type, name, bytes))
        throw plat::EResNotFound(std::string("Resource ") + name + " not found");
    return QImage::fromData(bytes.data(), static_cast<int>(bytes.size()));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);

    std::vector<uint8_t> iconBytes;
    if (plat::FindResourceBytes("icon", "MAINICON", iconBytes)) {
        QPixmap icon;
        icon.loadFromData(iconBytes.data(), static_cast<unsigned>(iconBytes.size()), "ICO");
        QApplication::setWindowIcon(QIcon(icon));
    }

    QLabel window;
    window.setWindowTitle(QStringLiteral("Zibolka Test Revised"));
    window.setFixedSize(800, 600);
    window.setStyleSheet(QStringLiteral("background: black"));
    try {
        window.setPixmap(QPixmap::fromImage(ResourceImage("jpg", "ZIBbckgr1")));
    } catch (const plat::Exception &e) {
        std::fprintf(stderr, "zibor: %s\n", e.what());
    }
    if (const QScreen *screen = QApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
