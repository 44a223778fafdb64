// The program folder's INI file of local settings.
#include "platform/LocalSettings.h"

#include <QSettings>

#include "platform/Runtime.h"

namespace {

QString File() {
    return qs::rt::ProgramDir() + QStringLiteral("/QS-310_Local.ini");
}

}  // namespace

int GetLocalSetting(const char* key, int defaultValue) {
    QSettings s(File(), QSettings::IniFormat);
    bool ok = false;
    const int value = s.value(QLatin1String(key), defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

int SetLocalSetting(const char* key, int value) {
    QSettings s(File(), QSettings::IniFormat);
    s.setValue(QLatin1String(key), value);
    s.sync();
    return s.status() == QSettings::NoError ? 0 : -1;
}
