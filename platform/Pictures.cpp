// Picture controls: an image file shown in a label, scaled to the control or sizing it.
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

const char* const kFit = "qsFitMode";
const char* const kImage = "qsImage";
const char* const kTaille = "qsImageSize";  // the image's own size, as taken
const char* const kChemin = "qsImagePath";  // the file, decoded again when the fit changes

// No picture file is this large; a bigger one is not read.
constexpr qint64 kFichierMax = 64 << 20;
// An image shown at its own size is cut down to this, the largest size a record holds.
constexpr int kCoteMax = 2000;

// The file's bytes, read without ever waiting: a FIFO, a device or anything but a plain
// file is refused before a byte is read (opening a FIFO for reading would wait for a
// writer, at every start of the program).
bool LireFichier(const QString& path, QByteArray* octets) {
#ifdef _WIN32
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.isSequential() || f.size() > kFichierMax) return false;
    *octets = f.readAll();
    return true;
#else
    const QByteArray natif = QFile::encodeName(path);
    const int fd = ::open(natif.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kFichierMax;
    if (ok) {
        octets->resize(qsizetype(st.st_size));
        qsizetype lus = 0;
        while (lus < octets->size()) {
            const ssize_t n = ::read(fd, octets->data() + lus, size_t(octets->size() - lus));
            if (n <= 0) break;
            lus += n;
        }
        octets->resize(lus);
    }
    ::close(fd);
    return ok;
#endif
}

int FitMode(const QWidget* w) {
    QVariant v = w->property(kFit);
    return v.isValid() ? v.toInt() : VAL_SIZE_TO_PICTURE;
}

// Decodes the image once, at the size it is shown (formats that can decode smaller do so
// directly), so that neither a huge file nor a huge control costs more memory than the
// screen shows. An image shown at its own size takes at most the largest size a record holds.
bool Charger(QLabel* label, const QString& path) {
    QByteArray octets;
    if (!LireFichier(path, &octets)) return false;
    QBuffer tampon(&octets);
    QImageReader reader(&tampon);
    reader.setAutoTransform(true);
    const bool propre = FitMode(label) == VAL_SIZE_TO_IMAGE;
    QSize taille = reader.size();
    if (taille.isValid() && propre && (taille.width() > kCoteMax || taille.height() > kCoteMax))
        taille = taille.scaled(QSize(kCoteMax, kCoteMax), Qt::KeepAspectRatio);
    const QSize cible = propre ? taille : label->size() * label->devicePixelRatio();
    if (taille.isValid() && !cible.isEmpty() && cible != reader.size()) reader.setScaledSize(cible);
    QImage image = reader.read();
    if (image.isNull()) return false;
    label->setProperty(kChemin, path);
    label->setProperty(kTaille, taille.isValid() ? taille : image.size());
    QPixmap pix = QPixmap::fromImage(std::move(image));
    pix.setDevicePixelRatio(propre ? 1.0 : label->devicePixelRatio());
    label->setProperty(kImage, pix);
    return true;
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
        // Decoded at the control's size, the image is drawn as it is; the label scales (and
        // keeps a scaled copy) only when the control has changed size since.
        label->setScaledContents(pix.size() != label->size() * label->devicePixelRatio());
    }
    label->setPixmap(pix);
}

}  // namespace

namespace qs::rt {

int PictureFitMode(const QLabel* label) {
    return FitMode(label);
}

void SetPictureFitMode(QLabel* label, int mode) {
    const bool change = FitMode(label) != mode;
    label->setProperty(kFit, mode);
    const QString path = label->property(kChemin).toString();
    if (change && !label->property(kImage).value<QPixmap>().isNull() && !path.isEmpty()) Charger(label, path);
    Show(label);
}

QSize PictureImageSize(const QLabel* label) {
    if (label->property(kImage).value<QPixmap>().isNull()) return QSize(0, 0);
    return label->property(kTaille).toSize();
}

}  // namespace qs::rt

int DisplayImageFile(int panel, int control, const char* path) {
    if (!FindPanel(panel)) return kErrPanel;
    auto* label = qobject_cast<QLabel*>(ControlWidget(panel, control));
    if (!label) return ControlWidget(panel, control) ? kErrType : kErrControl;
    if (!Charger(label, PathFromCp1252(path))) return -12;  // missing, not a plain file, not an image
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
    label->setProperty(kChemin, QVariant());
    label->clear();
    return 0;
}
