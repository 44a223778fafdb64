// Desktop icon maker: the clock's ring of 60 second lights mid-countdown, as SVG and PNGs.
// One geometry feeds both outputs, so the scalable icon and the rendered sizes agree.
// Usage: qs_mkicon <output folder> <png size>...   writes qs310-manager.svg and
// <size>x<size>/qs310-manager.png for each size.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The icon is drawn on a 256-unit square.
constexpr double kUnits = 256;
constexpr double kCentre = kUnits / 2;
constexpr double kRingRadius = 100;  // centre of the ring of lights
constexpr double kLightRadius = 4.6;
constexpr double kBigLightRadius = 46;

struct Disc {
    double x, y, r;
    QColor fill;
};

// Colours of the live mirror: the lights still to run are red, the last ones amber then green;
// the lights already gone by are unlit.
QColor LightColour(int position) {
    if (position < 34) return QColor(0x30, 0x30, 0x30);
    if (position < 50) return QColor(0xE0, 0x10, 0x10);
    if (position < 56) return QColor(0xFF, 0xC0, 0x00);
    return QColor(0x10, 0xD0, 0x30);
}

std::vector<Disc> Geometry() {
    std::vector<Disc> discs;
    discs.push_back({kCentre, kCentre, 124, QColor(0x14, 0x18, 0x20)});  // housing
    discs.push_back({kCentre, kCentre, 116, QColor(0x05, 0x06, 0x08)});  // face
    for (int p = 0; p < 60; ++p) {
        // Position 0 at twelve o'clock, clockwise, as on the clock's face.
        const double a = p * 2 * M_PI / 60;
        const double r = (p % 5 == 0) ? kLightRadius * 1.2 : kLightRadius;
        discs.push_back(
            {kCentre + kRingRadius * std::sin(a), kCentre - kRingRadius * std::cos(a), r, LightColour(p)});
    }
    discs.push_back({kCentre, kCentre, kBigLightRadius, QColor(0xE0, 0x10, 0x10)});  // the big light
    return discs;
}

QString Svg(const std::vector<Disc>& discs) {
    QString s = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n");
    for (const Disc& d : discs)
        s += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                 .arg(d.x, 0, 'f', 2)
                 .arg(d.y, 0, 'f', 2)
                 .arg(d.r, 0, 'f', 2)
                 .arg(d.fill.name());
    s += QStringLiteral("</svg>\n");
    return s;
}

QImage Png(const std::vector<Disc>& discs, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kUnits, size / kUnits);
    p.setPen(Qt::NoPen);
    for (const Disc& d : discs) {
        p.setBrush(d.fill);
        p.drawEllipse(QPointF(d.x, d.y), d.r, d.r);
    }
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: qs_mkicon <output folder> <png size>...\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::vector<Disc> discs = Geometry();
    QDir().mkpath(out);
    QFile svg(out + "/qs310-manager.svg");
    if (!svg.open(QIODevice::WriteOnly) || svg.write(Svg(discs).toUtf8()) < 0) {
        fprintf(stderr, "cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    svg.close();
    for (int i = 2; i < argc; ++i) {
        const int size = atoi(argv[i]);
        if (size < 16 || size > 1024) {
            fprintf(stderr, "bad icon size %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2").arg(out).arg(size);
        QDir().mkpath(dir);
        if (!Png(discs, size).save(dir + "/qs310-manager.png")) {
            fprintf(stderr, "cannot write %s/qs310-manager.png\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
