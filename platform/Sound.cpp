// Tones: WAV files played with QSoundEffect, waiting for the end unless asynchronous.
#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QThread>
#include <QUrl>
#include <map>
#include <memory>

#include "platform/Encoding.h"
#include "platform/cvi.h"

namespace {

SoundHook g_hook = nullptr;
std::map<QString, std::unique_ptr<QSoundEffect>> g_effects;

quint32 Le32(const QByteArray& b, qsizetype at) {
    if (at + 4 > b.size()) return 0;
    auto u = [&](qsizetype i) { return quint32(static_cast<unsigned char>(b[at + i])); };
    return u(0) | (u(1) << 8) | (u(2) << 16) | (u(3) << 24);
}

// Length of a WAV file in ms (data bytes / byte rate), 0 when it cannot be told.
int WavMilliseconds(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    QByteArray b = f.read(4096);
    if (!b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") return 0;
    quint32 byteRate = 0, dataBytes = 0;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        QByteArray id = b.mid(at, 4);
        quint32 size = Le32(b, at + 4);
        if (id == "fmt ") byteRate = Le32(b, at + 8 + 8);
        if (id == "data") {
            dataBytes = std::min<quint64>(size, quint64(f.size() - (at + 8)));
            break;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return byteRate ? int(quint64(dataBytes) * 1000 / byteRate) : 0;
}

QSoundEffect& Effect(const QString& path) {
    auto& e = g_effects[path];
    if (!e) {
        e = std::make_unique<QSoundEffect>();
        e->setSource(QUrl::fromLocalFile(path));
    }
    return *e;
}

// Lets the sound back end work without taking any of the operator's input.
void Wait(int ms) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers,
                                    ms);
    QThread::msleep(5);
}

}  // namespace

int sndPlaySoundA(const char* file, unsigned flags) {
    if (g_hook) {
        g_hook(file ? file : "");
        return 1;
    }
    if (!file || !QCoreApplication::instance()) return 0;
    QString path = qs::rt::PathFromCp1252(file);
    int length = WavMilliseconds(path);
    if (length <= 0) return 0;
    // Without an audio device the effect would report "playing" for ever.
    if (QMediaDevices::audioOutputs().isEmpty()) return 0;
    QSoundEffect& effect = Effect(path);
    QElapsedTimer clock;
    clock.start();
    while (effect.status() == QSoundEffect::Loading && clock.elapsed() < 500) Wait(5);
    if (effect.status() != QSoundEffect::Ready) return 0;
    effect.play();
    if (flags & SND_ASYNC) return 1;
    clock.restart();
    const int limit = length + 150;
    while (effect.isPlaying() && clock.elapsed() < limit) Wait(5);
    return 1;
}

void SetSoundHook(SoundHook hook) {
    g_hook = hook;
}

namespace qs::rt {
void StopSounds() {
    g_effects.clear();
}
}  // namespace qs::rt
