// Dialogs and desktop services: file selection, message box, documents, cursor, mouse, screen.
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QProcess>
#include <QScreen>
#include <QTranslator>
#include <QUrl>
#include <memory>

#include "lib/StrBuf.h"
#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

FileSelectHook g_fileHook = nullptr;
MessageHook g_messageHook = nullptr;
DocumentHook g_documentHook = nullptr;
const char* g_unusablePathText = "";
int g_cursor = VAL_DEFAULT_CURSOR;
bool g_wait = false;

Qt::CursorShape ShapeOf(int cursor) {
    switch (cursor) {
        case VAL_HOUR_GLASS_CURSOR:
            return Qt::WaitCursor;
        case VAL_POINTING_FINGER_CURSOR:
            return Qt::PointingHandCursor;
        default:
            return Qt::ArrowCursor;
    }
}

// One override level at most: the wait cursor wins over the chosen cursor.
void ApplyCursor() {
    if (!QApplication::instance()) return;
    int effective = g_wait ? VAL_HOUR_GLASS_CURSOR : g_cursor;
    bool overridden = QApplication::overrideCursor() != nullptr;
    if (effective == VAL_DEFAULT_CURSOR) {
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    } else if (overridden) {
        QApplication::changeOverrideCursor(QCursor(ShapeOf(effective)));
    } else {
        QApplication::setOverrideCursor(QCursor(ShapeOf(effective)));
    }
}

// "*.jpg;*.bmp;" -> "(*.jpg *.bmp)"
QString NameFilter(const char* fileTypes) {
    QStringList patterns;
    for (const QString& p : FromCp1252(fileTypes).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        patterns << p.trimmed();
    return patterns.isEmpty() ? QString()
                              : QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString FolderFor(const char* defaultDir) {
    QString dir = PathFromCp1252(defaultDir);
    if (dir.isEmpty()) return StartFolder();
    return QDir::isAbsolutePath(dir) ? dir : QDir(ProgramDir()).filePath(dir);
}

// The one extension offered by a dialog restricted to a single "*.ext" pattern
// ("txt"), empty otherwise.
QString RestrictedSuffix(const char* fileTypes) {
    const QStringList patterns = FromCp1252(fileTypes).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (patterns.size() != 1) return {};
    const QString p = patterns.first().trimmed();
    const QString ext = p.mid(2);
    if (!p.startsWith(QLatin1String("*.")) || ext.isEmpty() || ext.contains(QLatin1Char('*')) ||
        ext.contains(QLatin1Char('?')))
        return {};
    return ext;
}

// Whether the desktop has a program for such files: the system opener starts in the
// background and reports success even when it finds none, and the operator would be
// left waiting for a window that never comes.
bool HasViewerFor(const QFileInfo& file) {
#ifdef _WIN32
    (void)file;
    return true;
#else
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

// Whether the program can keep a path as it keeps every path: Windows-1252 bytes, at most 259 of
// them. Any other comes back with another letter or '?' for each one outside that set (Polish or
// Czech letters, accents decomposed as macOS writes names) or cut short, and names another file:
// one that is not there, or one written over without the dialog's question about it.
bool Storable(const QString& path) {
    return path.size() < 260 && FromCp1252(ToCp1252(path)) == path;
}

void ShowMessage(const QString& title, const QString& message) {
    if (g_messageHook) return g_messageHook(ToCp1252(title).constData(), ToCp1252(message).constData());
    QMessageBox box(QMessageBox::Information, title, message, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path in it can be copied
    ShowOverParent(&box, DialogParent());
    box.exec();
}

}  // namespace

int FileSelectPopup(const char* defaultDir, const char* defaultFile, const char* fileTypes, const char* title,
                    int buttonLabel, int restrictDir, int restrictExt, int allowCancel, int allowMakeDir,
                    char pathOut[260]) {
    if (pathOut) pathOut[0] = 0;
    if (g_fileHook) return g_fileHook(defaultDir, defaultFile, title, buttonLabel, pathOut);
    // Unparented: no panel's style sheet reaches it; it stays above its window all the same.
    QFileDialog dialog(nullptr, FromCp1252(title), FolderFor(defaultDir));
    dialog.setWindowModality(Qt::ApplicationModal);
    bool save = buttonLabel == VAL_SAVE_BUTTON;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList filters;
    if (QString f = NameFilter(fileTypes); !f.isEmpty()) filters << f;
    if (!restrictExt || filters.isEmpty()) filters << QStringLiteral("(*)");
    dialog.setNameFilters(filters);
    // A save restricted to one extension always gets it: a name typed without it
    // ("Course2") is saved as "Course2.txt", where the same filter finds it again.
    const QString suffix = restrictExt && save ? RestrictedSuffix(fileTypes) : QString();
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::ReadOnly, !allowMakeDir && !save);
    if (defaultFile && *defaultFile) dialog.selectFile(FromCp1252(defaultFile));
    (void)restrictDir;
    (void)allowCancel;
    QString chosen;
    for (;;) {  // until a path the program can keep, or none
        ShowOverParent(&dialog, DialogParent());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return VAL_NO_FILE_SELECTED;
        chosen = dialog.selectedFiles().first();
        if (!suffix.isEmpty() && !chosen.endsWith(QLatin1Char('.') + suffix, Qt::CaseInsensitive))
            chosen += QLatin1Char('.') + suffix;
        chosen = QDir::toNativeSeparators(chosen);
        if (Storable(chosen)) break;
        // Within the current folder, the program folder whose own path cannot be kept: named as
        // the program names its own files there.
        const QString within = QDir::toNativeSeparators(QDir::current().relativeFilePath(chosen));
        if (!QDir::isAbsolutePath(within) && !within.startsWith(QLatin1String("..")) && Storable(within)) {
            chosen = within;
            break;
        }
        // Told with the name as it is, then asked again where the dialog was.
        ShowMessage(dialog.windowTitle(), FromCp1252(g_unusablePathText) + QLatin1Char('\n') + chosen);
    }
    if (!defaultDir || !*defaultDir) NoteChosenFolder(QFileInfo(chosen).absolutePath());
    CopyCp1252(chosen, pathOut, 260);
    return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int MessagePopup(const char* title, const char* message) {
    if (!g_messageHook && !QApplication::instance()) return -1;
    ShowMessage(FromCp1252(title), FromCp1252(message));
    return 0;
}

int OpenDocument(const char* path) {
    if (g_documentHook) return g_documentHook(path ? path : "");
    QString p = FromCp1252(path);
    if (p.contains(QLatin1String("://"))) return QDesktopServices::openUrl(QUrl(p)) ? 0 : -1;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QFileInfo info(p);
    if (!info.exists()) return -1;
    if (info.isFile() && !HasViewerFor(info)) return -2;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? 0 : -2;
}

void SetFileSelectHook(FileSelectHook hook) {
    g_fileHook = hook;
}
void SetMessageHook(MessageHook hook) {
    g_messageHook = hook;
}
void SetDocumentHook(DocumentHook hook) {
    g_documentHook = hook;
}

void SetDialogLanguage(const char* code) {
    static std::unique_ptr<QTranslator> installed;
    installed.reset();  // taken out of the application's as it goes
    const QByteArray c(code ? code : "");
    const char* qt = c == "FR" ? "fr" : c == "DT" ? "de" : c == "IT" ? "it" : nullptr;
    if (!qt || !QCoreApplication::instance()) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_") + QLatin1String(qt),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return;
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
}

void SetUnusablePathText(const char* text) {
    g_unusablePathText = text ? text : "";
}

int SetMouseCursor(int cursor) {
    g_cursor = cursor;
    ApplyCursor();
    return 0;
}

int GetMouseCursor(int* cursor) {
    if (cursor) *cursor = g_wait ? VAL_HOUR_GLASS_CURSOR : g_cursor;
    return 0;
}

int SetWaitCursor(int on) {
    g_wait = on != 0;
    ApplyCursor();
    return 0;
}

int GetRelativeMouseState(int panel, int control, int* x, int* y, int* left, int* right, int* keys) {
    if (!FindPanel(panel)) return kErrPanel;
    QWidget* w = control ? ControlWidget(panel, control) : PanelWidget(panel);
    if (!w) return kErrControl;
    const QPoint p = ToDesignPoint(w, w->mapFromGlobal(PointerPosition())).toPoint();
    if (x) *x = p.x();
    if (y) *y = p.y();
    // Buttons and modifiers only when asked: querying the modifiers goes to the window system.
    // The position and the buttons are those the window system last reported.
    if (left || right) {
        Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
        if (left) *left = buttons & Qt::LeftButton ? 1 : 0;
        if (right) *right = buttons & Qt::RightButton ? 1 : 0;
    }
    if (keys) {
        Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
        *keys = (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0);
    }
    return 0;
}

int GetScreenSize(int* height, int* width) {
    QScreen* s = QApplication::instance() ? QGuiApplication::primaryScreen() : nullptr;
    QSize size = s ? s->size() : QSize(0, 0);
    if (height) *height = size.height();
    if (width) *width = size.width();
    return s ? 0 : -1;
}
