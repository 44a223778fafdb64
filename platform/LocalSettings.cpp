// The program folder's INI file of this computer's own settings, over QSettings.
#include "platform/LocalSettings.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cerrno>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

namespace {

void (*g_tellFailure)(int reason) = nullptr;

QString Path() {
    return qs::rt::ProgramDir() + QLatin1Char('/') + QLatin1String(kLocalSettingsFile);
}

}  // namespace

namespace qs::rt {

QVariant LocalSetting(const char* key) {
    return QSettings(Path(), QSettings::IniFormat).value(QLatin1String(key));
}

// QSettings writes through a temporary file and a rename, so the file is never torn.
int SetLocalSetting(const char* key, const QVariant& value) {
    QSettings ini(Path(), QSettings::IniFormat);
    ini.setValue(QLatin1String(key), value);
    ini.sync();
    if (ini.status() == QSettings::NoError) return FILE_WRITE_OK;
    // QSettings keeps no reason: the folder tells a read-only disk or a folder not ours.
    const QByteArray dir = QFile::encodeName(ProgramDir());
    if (access(dir.constData(), W_OK) != 0) return FileWriteReason(errno);
    return FILE_WRITE_OTHER;
}

void KeepLocalSetting(const char* key, const QVariant& value) {
    if (LocalSetting(key) == value) return;
    const int reason = SetLocalSetting(key, value);
    if (reason != FILE_WRITE_OK && g_tellFailure) g_tellFailure(reason);
}

}  // namespace qs::rt

void SetLocalSettingsFailureHook(void (*tell)(int reason)) {
    g_tellFailure = tell;
}

using qs::rt::LocalSetting;
using qs::rt::SetLocalSetting;

int LocalSettingsInt(const char* key, int fallback) {
    bool ok = false;
    const int v = LocalSetting(key).toInt(&ok);
    return ok ? v : fallback;
}

void LocalSettingsText(const char* key, const char* fallback, char* out, size_t size) {
    const QVariant v = LocalSetting(key);
    qs::rt::CopyCp1252(v.isValid() ? v.toString() : qs::rt::FromCp1252(fallback), out, size);
}

int LocalSettingsSetInt(const char* key, int value) {
    return SetLocalSetting(key, value);
}

int LocalSettingsSetText(const char* key, const char* value) {
    return SetLocalSetting(key, qs::rt::FromCp1252(value));
}
