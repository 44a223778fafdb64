// Picture controls: an image file shown in a label, scaled to the control or sizing it.
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

const char* const kFit = "qsFitMode";
const char* const kImage = "qsImage";

int FitMode(const QWidget* w) {
    QVariant v = w->property(kFit);
    return v.isValid() ? v.toInt() : VAL_SIZE_TO_PICTURE;
}

void Show(QLabel* label) {
    QPixmap pix = label->property(kImage).value<QPixmap>();
    if (pix.isNull()) {
        label->clear();
        return;
    }
    if (FitMode(label) == VAL_SIZE_TO_IMAGE) {
        label->setScaledContents(false);
        label->resize(pix.size());
    } else {
        label->setScaledContents(true);
    }
    label->setPixmap(pix);
}

}  // namespace

namespace qs::rt {

bool PictureAttribute(QWidget* w, int attribute, int* value) {
    if (!qobject_cast<QLabel*>(w)) return false;
    QPixmap pix = w->property(kImage).value<QPixmap>();
    switch (attribute) {
        case ATTR_FIT_MODE:
            *value = FitMode(w);
            return true;
        case ATTR_IMAGE_WIDTH:
            *value = pix.isNull() ? 0 : pix.width();
            return true;
        case ATTR_IMAGE_HEIGHT:
            *value = pix.isNull() ? 0 : pix.height();
            return true;
        default:
            return false;
    }
}

bool SetPictureAttribute(QWidget* w, int attribute, int value) {
    auto* label = qobject_cast<QLabel*>(w);
    if (!label || attribute != ATTR_FIT_MODE) return false;
    label->setProperty(kFit, value);
    Show(label);
    return true;
}

}  // namespace qs::rt

int DisplayImageFile(int panel, int control, const char* path) {
    if (!FindPanel(panel)) return kErrPanel;
    auto* label = qobject_cast<QLabel*>(ControlWidget(panel, control));
    if (!label) return ControlWidget(panel, control) ? kErrType : kErrControl;
    QImageReader reader(PathFromCp1252(path));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) return -12;  // file missing or not an image
    label->setProperty(kImage, QPixmap::fromImage(image));
    Show(label);
    return 0;
}

int ImageFormatReadable(const char* extension) {
    if (!extension || !*extension) return 0;
    return QImageReader::supportedImageFormats().contains(QByteArray(extension).toLower()) ? 1 : 0;
}

int DeleteImage(int panel, int control) {
    if (!FindPanel(panel)) return kErrPanel;
    auto* label = qobject_cast<QLabel*>(ControlWidget(panel, control));
    if (!label) return ControlWidget(panel, control) ? kErrType : kErrControl;
    label->setProperty(kImage, QVariant());
    label->clear();
    return 0;
}
