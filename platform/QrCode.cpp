// The live view's address as a QR code, so a phone at the start opens it without typing.
#include <qrencode.h>

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <memory>

#include "platform/Runtime.h"
#include "platform/WebServer.h"

int DisplayQrCode(int panel, int control, const char* text) {
    auto* label = qobject_cast<QLabel*>(qs::rt::ControlWidget(panel, control));
    if (!label) return qs::rt::kErrControl;
    label->clear();
    if (!text || !*text) return 0;
    std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString(text, 0, QR_ECLEVEL_M, QR_MODE_8, 1),
                                                    QRcode_free);
    if (!code) return qs::rt::kErrValue;
    // Four modules of quiet zone around the symbol, as readers need; each module a
    // whole number of pixels, so the code stays sharp at any size.
    const int modules = code->width + 8;
    const int scale = std::max(1, std::min(label->width(), label->height()) / modules);
    QImage image(modules * scale, modules * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        image.setPixel((x + 4) * scale + dx, (y + 4) * scale + dy, 0xFF000000);
    label->setScaledContents(false);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(QPixmap::fromImage(image));
    return 0;
}
