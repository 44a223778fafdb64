// The windows as an operator meets them, on a real X server with a window manager
// (tests/desktop/with-xserver.sh): the whole program runs with the shared operator script.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "app/LiveView.h"
#include "app/Q31Connexion.h"
#include "app/Q31Param.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "link/SbComErreur.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "panels/FSabGen.h"
#include "platform/Runtime.h"
#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsSwitch.h"
#include "records/Q31Config.h"
#include "records/SbComRecord.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/runner/Operator.h"
#include "tests/support/TestSupport.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace e2e;

namespace {

bool Shown(const char* resource, int panelId) {
    QWidget* w = qs::rt::PanelWidget(FindLoadedPanel(resource, panelId));
    return w && w->isVisible();
}

const Step MainShown = [] { return Shown("FQ31.uir", fq31::MAIN); };

// Every panel of the four resources, in each of the four languages, as the program fills it:
// no control cut by its panel's edge, no caption, label, ring item or table cell (the longest
// time at 1/100,000 included) that does not fit its control at its font, every window on the
// screen. ctest runs it at QT_SCALE_FACTOR 1 and 1.5.
std::vector<std::string> faults;
int hoverCaptions = 0;

QString Plain(QString text) {  // as shown: "&&" is an ampersand, "&x" underlines x
    return text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
}

// A text at the widget's font (or the one given) in a box, on one line or wrapped.
void NeedsRoom(const QWidget* w, const char* what, const QString& text, const QRectF& room, bool wrap = false,
               const QFont* font = nullptr) {
    const QFont& f = font ? *font : w->font();
    const int flags = Qt::AlignLeft | Qt::AlignTop | (wrap ? Qt::TextWordWrap : 0);
    QSizeF need = QFontMetricsF(f).boundingRect(room, flags, Plain(text)).size();
    if (Qt::mightBeRichText(text)) {
        QTextDocument doc;
        doc.setDefaultFont(f);
        doc.setDocumentMargin(0);
        doc.setHtml(text);
        if (wrap) doc.setTextWidth(room.width());
        need = QSizeF(wrap ? doc.size().width() : doc.idealWidth(), doc.size().height());
    }
    if (!text.trimmed().isEmpty() &&
        (need.width() > room.width() + 0.5 || need.height() > room.height() + 0.5))
        faults.push_back(QString::asprintf("%s %s '%s': needs %.1fx%.1f, has %.1fx%.1f",
                                           qPrintable(w->objectName()), what, qPrintable(text), need.width(),
                                           need.height(), room.width(), room.height())
                             .toStdString());
}

// Every kind of control with a text: the text fits the room its style gives it.
void CheckControl(QWidget* w) {
    const QStyle* style = w->style();
    if (auto* l = qobject_cast<QLabel*>(w); l && l->pixmap().isNull()) {
        const int m = l->margin();
        NeedsRoom(l, "label", l->text(), QRectF(l->contentsRect().adjusted(m, m, -m, -m)), l->wordWrap());
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        const QRect room = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        for (int i = 0; i < c->count(); ++i) NeedsRoom(c, "ring item", c->itemText(i), room);
    } else if (auto* t = qobject_cast<QTableView*>(w)) {
        const int margin = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t) + 1);
        const QHeaderView* header = t->horizontalHeader();
        const QAbstractItemModel* m = t->model();
        QFont bold = header->font();
        bold.setBold(true);
        for (int c = 0; c < m->columnCount(); ++c) {
            // Only the viewport shows: a column under the scroll bar is cut.
            const int x = header->sectionViewportPosition(c),
                      width = std::min(header->sectionSize(c), t->viewport()->width() - x);
            if (t->isColumnHidden(c)) continue;
            NeedsRoom(t, "column title", m->headerData(c, Qt::Horizontal).toString(),
                      QRectF(0, 0, width - 6, header->height()), false, &bold);
            for (int r = 0; r < std::min(m->rowCount(), 20); ++r)
                NeedsRoom(t, "cell", m->index(r, c).data().toString(),
                          QRectF(0, 0, width - margin, t->rowHeight(r) + 2));
        }
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        NeedsRoom(g, "frame title", g->title(), QRectF(0, 0, g->width() - 20, g->height()));
    } else if (auto* n = qobject_cast<QSpinBox*>(w)) {  // its largest value whole
        QStyleOptionSpinBox opt;
        opt.initFrom(n);
        opt.buttonSymbols = n->buttonSymbols();
        const QRect room = style->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, n);
        const QString widest =
            n->prefix() + QString::number(n->maximum(), n->displayIntegerBase()) + n->suffix();
        NeedsRoom(n, "number", widest, QRectF(room).adjusted(2, 0, -2, 0));
    } else if (auto* g = dynamic_cast<QsGlyphButton*>(w)) {
        // A caption shown only under the mouse (and as tooltip) takes the whole face in a smaller
        // font when it must; it stays readable down to three quarters of the font.
        if (!g->captionFits(g->property("qsHoverCaption").toBool() ? 0.75 : 1.0))
            faults.push_back(w->objectName().toStdString() + " caption '" + g->text().toStdString() +
                             "' is cut");
    } else if (auto* s = dynamic_cast<QsSwitch*>(w)) {
        NeedsRoom(s, "switch", s->text(), s->captionRect());
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        NeedsRoom(b, "button", b->text(), style->subElementRect(QStyle::SE_PushButtonContents, &opt, b));
    }
}

// Faults of one panel, hidden or shown, at the scale its window has now.
void CheckPanel(int panel) {
    QWidget* root = qs::rt::PanelWidget(panel);
    ASSERT_NE(root, nullptr);
    for (QWidget* w : root->findChildren<QWidget*>()) w->ensurePolished();
    root->ensurePolished();
    const size_t before = faults.size();
    const QRect area = root->rect();
    if (!root->isWindow() && !root->parentWidget()->rect().contains(root->geometry()))
        faults.push_back("lies outside the window that holds it");
    if (root->isWindow() && root->isVisible() && root->screen() &&
        !root->screen()->availableGeometry().contains(root->frameGeometry()))
        faults.push_back("window is not wholly on its screen");
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->property("qsPlaced").toBool() || qs::rt::PanelOfWidget(w) != panel) continue;
        const QRect r(w->mapTo(root, QPoint(0, 0)), w->size());
        // Cut by the edge; a control wholly outside belongs to a part of the panel that the
        // program leaves out by making the panel smaller (the parameters dialog without the
        // second display).
        if (w->isVisibleTo(root) && r.intersects(area) && !area.contains(r) &&
            !w->property("overflows").toBool())
            faults.push_back(w->objectName().toStdString() + " is cut by the edge of its panel");
        // A caption shown only under the mouse is also the tooltip and the accessible name.
        if (w->property("qsHoverCaption").toBool()) {
            ++hoverCaptions;
            auto* b = qobject_cast<QAbstractButton*>(w);
            if (w->toolTip().isEmpty() || w->toolTip() != w->accessibleName() ||
                (b && !b->text().isEmpty() && w->toolTip() != Plain(b->text()).trimmed()))
                faults.push_back(w->objectName().toStdString() + " hover caption '" +
                                 w->toolTip().toStdString() + "' is not its tooltip and accessible name");
        }
        CheckControl(w);
    }
    // A label's text never runs into a field, ring, button or table beside it.
    const QList<QWidget*> all = root->findChildren<QWidget*>();
    const auto shown = [&](const QWidget* w) {
        return w->isVisibleTo(root) && w->property("qsPlaced").toBool() && qs::rt::PanelOfWidget(w) == panel;
    };
    for (QWidget* w : all) {
        auto* l = qobject_cast<QLabel*>(w);
        if (!l || !shown(l) || l->text().isEmpty() || l->wordWrap()) continue;
        const QRect room = l->contentsRect();
        const QSize need = l->fontMetrics().size(0, Plain(l->text())).boundedTo(room.size());
        const QRect text = QStyle::alignedRect(l->layoutDirection(), l->alignment(), need, room)
                               .translated(l->mapTo(root, QPoint(0, 0)));
        for (QWidget* o : all) {
            const bool control = qobject_cast<QAbstractSpinBox*>(o) || qobject_cast<QLineEdit*>(o) ||
                                 qobject_cast<QComboBox*>(o) || qobject_cast<QAbstractButton*>(o) ||
                                 qobject_cast<QAbstractItemView*>(o);
            if (control && shown(o) && QRect(o->mapTo(root, QPoint(0, 0)), o->size()).intersects(text))
                faults.push_back(l->objectName().toStdString() + " text '" + l->text().toStdString() +
                                 "' runs into " + o->objectName().toStdString());
        }
    }
    for (size_t i = before; i < faults.size(); ++i)
        faults[i].insert(0, root->objectName().toStdString() + ": ");
}

// Once a panel of the resource is loaded and shown (its window mapped and laid out): checked, then acted on.
Step CheckThen(const char* resource, int panelId, std::function<void(int)> then) {
    return [=] {
        if (!Shown(resource, panelId)) return false;
        QApplication::processEvents();
        CheckPanel(FindLoadedPanel(resource, panelId));
        then(FindLoadedPanel(resource, panelId));
        return true;
    };
}

const char* Longest(std::initializer_list<const char*> texts) {
    return std::ranges::max(texts, {}, [](const char* t) { return strlen(t); });
}

int answer = 0;  // the button that ends the next modal dialog the script opens, checked on its first turn
void CheckTurn(int panel) {
    if (!answer) return;
    CheckPanel(panel);
    QueueUserEvent(panel, std::exchange(answer, 0));
}

Steps EveryPanel(int language) {
    using namespace fq31;
    return {
        MainShown,
        Do([] {
            // The widest time: a competitor of five digits, a mark, 23:59:59.99999.
            SbComG.params.precision = 5;
            SbComG.simulation = 1;  // times are taken while a clock (here the simulated one) is there
            SbChronoRec t{99999, 9999, 23, 59, 59, 99999, 0, 'T', '!', 'M', '9'};
            SbChronoQ31Traiter(&t);
            SbComG.simulation = 0;
        }),
        Until([] {  // a new time reaches the view with its next batch of rows
            auto* times = qs::rt::PanelWidget(Q31FIhmG)->findChild<QTableView*>("TIMES_TABLE");
            return times->model()->rowCount() == TableRowCount(Q31FIhmG, MAIN_TIMES_TABLE);
        }),
        Do([] {
            for (int page = 0; page < kQ31FSetPages; ++page) Q31FSetParam(page);
            hoverCaptions = 0;
            CheckPanel(Q31FIhmG);
            EXPECT_GE(hoverCaptions, 19) << "the main window's captioned controls";
            for (int page = 0; page < kQ31FSetPages; ++page) CheckPanel(Q31FSetPanel(page));
            CheckPanel(FindLoadedPanel("FQ31.uir", KEYS));
            Q31FsdOuvrir();
        }),
        Passes(20),  // the second display lays itself out again once its window has its size
        CheckThen("FQ31_SD.uir", fq31_sd::DISPLAY,
                  [](int panel) {
                      CheckPanel(FindLoadedPanel("FQ31_SD.uir", fq31_sd::COUNTDOWN));
                      CheckPanel(FindLoadedPanel("FQ31_SD.uir", fq31_sd::DIAL_WIN));
                      QueueUserEvent(Q31FIhmG, MAIN_PARAMS);  // with the second display: the whole dialog
                  }),
        CheckThen("FQ31.uir", PARAMS, [](int panel) { QueueUserEvent(panel, PARAMS_LIVE_VIEW); }),
        CheckThen("FQ31.uir", LIVE,
                  [](int panel) {  // the longest reason the live view could not start, where it is told
                      SetCtrlVal(panel, LIVE_STATUS,
                                 Longest({Q31TxtMesG[kMesLiveInUse], Q31TxtMesG[kMesLiveAccess],
                                          Q31TxtMesG[kMesLiveAddress], Q31TxtMesG[kMesLivePage],
                                          Q31TxtMesG[kMesLiveOther]}));
                      CheckPanel(panel);
                      QueueUserEvent(panel, LIVE_CANCEL);
                      QueueUserEvent(FindLoadedPanel("FQ31.uir", PARAMS), PARAMS_CANCEL);  // taken once back
                  }),
        Do([] { Q12Ouvrir(Q31FIhmG, MAIN_Q12_SWITCH); }),
        CheckThen("FQ12.uir", fq12::COMPET, [](int) { Q12Fermer(); }),
        Do([language] {
            // Every port number once: their names are the same in every language, so the
            // other languages list the two longest only (looking each one up takes a while).
            SbComG.freePortCount = language ? 2 : 64;
            for (int i = 0; i < 64; ++i) SbComG.portList[size_t(i)] = language ? 48 + 16 * (i % 2) : i + 1;
        }),
        SetAndPress(MainPanel, MAIN_CONNECT_SWITCH, 1),
        CheckThen("FQ31.uir", CONNECT, [](int panel) { QueueUserEvent(panel, CONNECT_CANCEL); }),
        Do([] { QueueUserEvent(Q31FIhmG, MAIN_ABOUT); }),
        CheckThen("FSabGen.uir", fsabgen::ABOUT, [](int) { SbAboutFermer(); }),
        Do([] { QueueUserEvent(Q31FIhmG, MAIN_QUIT); }),
        CheckThen("FSabGen.uir", fsabgen::POPUP,
                  [](int panel) { QueueUserEvent(panel, fsabgen::POPUP_ANNULER); }),
        Do([] {
            SbWait(Q31FIhmG, Longest({GMesComG[0], GMesComG[1], GMesComG[14], Q31TxtMesG[0], Q31TxtMesG[1]}));
            CheckPanel(FindLoadedPanel("FSabGen.uir", fsabgen::WAIT));
            SbFermerWait(true, 0);
            answer = fq12::IMPORT_CANCEL;
            Q12SetTourDialogue(CheckTurn);
            Q12Cnf cnf = Q12CnfG;
            Q12DialogueImport(&cnf);
            Q12SetTourDialogue(nullptr);
            char text[200];  // the longest error the box gets, both ways out shown as when the link is open
            StrFormat(text, sizeof text, "%s COM64 (/dev/ttyACM15).\n%s", GMesComG[kMesComPortDenied],
                      GMesComG[kMesComPortDeniedFix]);
            SbSetTourModal(CheckTurn);
            answer = fsabgen::ERREUR_BOUTON1;
            SbAfficherErreur(Q31FIhmG, GMesComG[3], text, "", GLabelBpG[2], true, GLabelBpG[6]);
            answer = fsabgen::LANGUE_EN;
            SbChoixLangue(Q31FIhmG);
            SbSetTourModal(nullptr);
            Q31QuitG = 1;
        })};
}

TEST(Layout, EveryPanelFitsInEveryLanguage) {
    // Run on a desktop with a larger font of its own: the theme that would give it is there.
    if (const char* theme = getenv("QS_DESKTOP_THEME")) {
        ASSERT_TRUE(
            QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platformthemes/" + theme))
            << theme << " is not installed (scripts/setup-deps.sh)";
    }
    for (int language = 0; language < 4; ++language) {
        qstest::TempProgramDir dir;
        faults.clear();
        ForgetEverything();
        WriteApplicationRecord(language);
        EXPECT_EQ(RunProgram(EveryPanel(language), 3000), EveryPanel(language).size())
            << "language " << language;
        for (const std::string& f : faults) ADD_FAILURE() << GenCodeLangue(language) << " " << f;
    }
}

// The program's dialogs as desktop windows: Enter and Escape, sent as real key events, reach the
// callback of the default or cancel button; each dialog opened from the main window is transient
// for it (it cannot be lost behind it) and shows assistive tools its role; the system's file dialog
// and message box are readable whatever the main window's colours; the first start's language
// question takes Tab and Enter; the main window comes back where it was, at the scale of its size.

// Enter is the default button (through the focused field or button), Escape the cancel one or the
// close box: never the other way out, never the second button of the error box.
struct KeyPress {
    Qt::Key key;
    const char* target;  // control the key goes to ("" : the one with the focus)
    int expected;        // what the dialog's run returns
};
struct Dialog {
    const char* name;
    std::vector<KeyPress> presses;
    const char* resource;
    int panelId;
    QAccessible::Role role;
    bool window;               // a window of its own (transient for the main window), else inside it
    int wayOut;                // a modal dialog the key left open is ended with this button (then fails)
    std::function<int()> run;  // opens the dialog and returns what the program did after the key
};

using Keys = std::vector<KeyPress>;  // tried on a dialog, in order

const Dialog kDialogs[] = {
    {"question", Keys{{Qt::Key_Enter, "TEXTE", 1}, {Qt::Key_Escape, "", 0}}, "FSabGen.uir", fsabgen::POPUP,
     QAccessible::Dialog, true, fsabgen::POPUP_ANNULER,
     [] { return SbPopupValid(Q31FIhmG, "QS-310 Manager", "Quit?", "Yes", "No") ? 1 : 0; }},
    {"information", Keys{{Qt::Key_Escape, "", 1}}, "FSabGen.uir", fsabgen::POPUP, QAccessible::Dialog, true,
     fsabgen::POPUP_OK,
     [] {
         SbPopup(Q31FIhmG, "QS", "No program.", "OK");
         return 1;
     }},
    {"error box", Keys{{Qt::Key_Return, "", 1}, {Qt::Key_Escape, "", 1}}, "FSabGen.uir", fsabgen::ERREUR,
     QAccessible::AlertMessage, true, fsabgen::ERREUR_BOUTON2,
     [] {
         return SbAfficherErreur(Q31FIhmG, "Serial line error", "Damaged.", "", "OK", true, "Disconnect");
     }},
    {"parameters", Keys{{Qt::Key_Return, "", 1}, {Qt::Key_Escape, "", 0}}, "FQ31.uir", fq31::PARAMS,
     QAccessible::Dialog, true, fq31::PARAMS_CANCEL, [] { return Q31ParamIhm(Q31FIhmG) ? 1 : 0; }},
    {"import settings", Keys{{Qt::Key_Return, "FIRST_ROW", 1}}, "FQ12.uir", fq12::IMPORT, QAccessible::Dialog,
     true, fq12::IMPORT_CANCEL,
     [] {
         Q12Cnf cnf = Q12CnfG;
         return Q12DialogueImport(&cnf) ? 1 : 0;
     }},
    {"connection",
     Keys{{Qt::Key_Escape, "", 0}, {Qt::Key_Return, "PORT", 1}, {Qt::Key_Return, "NET_ADDRESS", 2}},
     "FQ31.uir", fq31::CONNECT, QAccessible::Dialog, false, fq31::CONNECT_CANCEL,
     [] {  // one port offered that nothing answers on, and an address that refuses at once
         SbComG.freePortCount = 1;
         SbComG.portList[0] = 64;
         StrCopy(SbComG.netAddress, "127.0.0.1");
         SbComG.netPort = 1;
         Q31Connexion(Q31FIhmG);
         char title[200] = "", text[200];  // the error told: 1 the serial Connect pressed, 2 the network one
         SbComTexteErreur(title, text);
         const std::string told = title;
         return told == GMesComG[kMesComNetTitle] ? 2 : told == GMesComG[3] ? 1 : told.empty() ? 0 : -1;
     }},
    {"about box", Keys{{Qt::Key_Escape, "", 1}}, "FSabGen.uir", fsabgen::ABOUT, QAccessible::Dialog, true, 0,
     [] {
         SbAboutOuvrir(Q31FIhmG, "About", "V 1.1.2", 1, true);
         return int(qstest::PumpUntil([] { return !FindLoadedPanel("FSabGen.uir", fsabgen::ABOUT); }));
     }},
    {"key panel", Keys{{Qt::Key_Escape, "", 1}}, "FQ31.uir", fq31::KEYS, QAccessible::Pane, false, 0,
     [] {
         Q31FKeyOuvrir();
         return int(qstest::PumpUntil([] { return !Shown("FQ31.uir", fq31::KEYS); }));
     }},
};

// The key sent once the dialog shows, it then transient for the main window (or inside it) and of
// its role; a key that left a modal dialog open is told and the dialog ended.
Step PressWhenShown(const Dialog& showing, const KeyPress& press, bool& pressed) {
    return [&showing, &press, &pressed, waited = 0]() mutable {
        if (int box = FindLoadedPanel("FSabGen.uir", fsabgen::ERREUR);
            box && std::string(showing.name) != "error box") {
            QTest::keyClick(qs::rt::PanelWidget(box), Qt::Key_Escape);  // the dialog led to an error box
            return false;
        }
        const int panel = FindLoadedPanel(showing.resource, showing.panelId);
        QWidget* root = qs::rt::PanelWidget(panel);
        if (!root || !root->isVisible()) return false;
        if (pressed) {
            if (++waited % 100 == 0 && showing.wayOut) {
                ADD_FAILURE() << "the key left it open";
                QueueUserEvent(panel, showing.wayOut);
            }
            return false;
        }
        QApplication::processEvents();
        pressed = true;
        const QWindow* parent = root->window()->windowHandle()->transientParent();
        EXPECT_EQ(parent == qs::rt::PanelWidget(Q31FIhmG)->windowHandle(), showing.window) << "transient";
        EXPECT_EQ(QAccessible::queryAccessibleInterface(root)->role(), showing.role);
        QWidget* focus = root->window()->focusWidget();
        if (!focus || !root->isAncestorOf(focus)) focus = root;
        QWidget* target = *press.target ? root->findChild<QWidget*>(QLatin1String(press.target)) : focus;
        target->setFocus(Qt::MouseFocusReason);  // as when the operator clicked into it first
        QTest::keyClick(target, press.key);
        return false;
    };
}

void TryEveryKey() {
    for (const Dialog& dialog : kDialogs)
        for (const KeyPress& press : dialog.presses) {
            SCOPED_TRACE(std::string(dialog.name) + (press.key == Qt::Key_Escape ? " Escape" : " Enter"));
            bool pressed = false;
            int result = -9;
            RunDialog([&] { result = dialog.run(); }, {PressWhenShown(dialog, press, pressed)});
            EXPECT_TRUE(pressed) << "never shown";
            EXPECT_EQ(result, press.expected);
            EXPECT_FALSE(Shown(dialog.resource, dialog.panelId)) << "still open";
            SbComDeplanter();
        }
}

// A system dialog looked at from inside its own loop, then answered: `ok` when it is transient for
// the main window and readable (none of its style sheet, dark text on a light ground). The look
// lasts while the timer returned lives.
template <class D>
std::unique_ptr<QTimer> Inspect(bool* ok, std::function<void(D*)> answer) {
    auto poll = std::make_unique<QTimer>();
    QObject::connect(poll.get(), &QTimer::timeout, [poll = poll.get(), ok, answer, looks = 0]() mutable {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible()) return;
        const QPalette p = d->palette();
        *ok = d->windowHandle()->transientParent() == qs::rt::PanelWidget(Q31FIhmG)->windowHandle() &&
              d->styleSheet().isEmpty() && qApp->styleSheet().isEmpty() &&
              p.color(QPalette::Window).lightness() - p.color(QPalette::WindowText).lightness() > 120 &&
              p.color(QPalette::Base).lightness() - p.color(QPalette::Text).lightness() > 120;
        if (!*ok && ++looks < 20) return;  // looked at again while it is being shown, for a second
        poll->stop();
        answer(d);
    });
    poll->start(50);
    return poll;
}

QRect Placement() {  // of the main window, frame included, as the window manager has it
    const QWidget* w = qs::rt::PanelWidget(Q31FIhmG);
    return QRect(w->pos(), w->size());
}

TEST(Windows, LanguageAndDialogsTakenByTheKeysAndTheMainWindowComesBack) {
    qstest::TempProgramDir dir;
    const QRect placed(120, 90, 880, 576);  // four fifths of the resource's 1100 x 720
    int passes = 0;
    bool save = false, message = false;
    char path[260] = "";
    const Step active = [] {  // the main window that dialogs open over, clicked into when it lost the focus
        qs::rt::PanelWidget(Q31FIhmG)->activateWindow();
        return qs::rt::PanelWidget(Q31FIhmG)->isActiveWindow();
    };
    ForgetEverything();
    WriteApplicationRecord(255);  // the first start's question
    RunProgram({[] {              // once the window manager has given the dialog the keyboard
                    QWidget* root = qs::rt::PanelWidget(FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE));
                    if (!root || !root->isActiveWindow() || !root->focusWidget()) return false;
                    QTest::keyClick(root->focusWidget(), Qt::Key_Tab);
                    QTest::keyClick(root->focusWidget(), Qt::Key_Return);
                    return true;
                },
                [&] {  // a choice the keys did not make is made with the mouse, in English
                    const int panel = FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE);
                    if (panel && ++passes == 50) QueueUserEvent(panel, fsabgen::LANGUE_EN);
                    return panel == 0;
                },
                MainShown,
                [&] {
                    if (Placement() == placed) return true;  // the manager places a new window as it likes
                    if (passes++ % 100 == 0) {
                        qs::rt::PanelWidget(Q31FIhmG)->move(placed.topLeft());
                        qs::rt::PanelWidget(Q31FIhmG)->resize(placed.size());
                    }
                    return false;
                },
                active, Do(TryEveryKey), active, Do([&] {
                    const auto files = Inspect<QFileDialog>(&save, [](QFileDialog* d) { d->reject(); });
                    FileSelectPopup("Chronos", "*.txt", "*.txt", "Save", VAL_SAVE_BUTTON, 0, 1, 1, 0, path);
                    const auto box = Inspect<QMessageBox>(&message, [](QMessageBox* d) { d->accept(); });
                    MessagePopup("QS-310 Manager", "The guide is here: /opt/qs310-manager/Doc");
                    Q31QuitG = 1;
                })},
               3000);
    ForgetEverything();
    const Steps back = {MainShown, Until([&] { return Placement() == placed; }), Do([] {
                            EXPECT_NEAR(qs::rt::WindowScale(qs::rt::PanelWidget(Q31FIhmG)), 0.8, 0.01);
                            Q31QuitG = 1;
                        })};
    EXPECT_EQ(RunProgramAsFound(back, 3000), back.size()) << "the main window is not back where it was";
    // French, the second language one Tab away, kept for the next start; both system dialogs readable.
    EXPECT_EQ(std::tuple(Q31G.language, save, message), std::tuple(1, true, true));
}

}  // namespace
