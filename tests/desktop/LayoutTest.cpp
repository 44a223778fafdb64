// Every panel of the four resources, in each of the four languages, as the program fills it:
// no control cut by its panel's edge, no caption, label, ring item or table cell (the longest
// time at 1/100,000 included) that does not fit its control at its font, every window on the
// screen. ctest runs it at QT_SCALE_FACTOR 1 and 1.5.
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextDocument>

#include "app/LiveView.h"
#include "app/Q31Erreur.h"
#include "chrono/SbChrono.h"
#include "competitor/Q12.h"
#include "competitor/Q12Import.h"
#include "competitor/Q12Listes.h"
#include "display/Q31Fsd.h"
#include "lib/StrBuf.h"
#include "panels/FQ12.h"
#include "panels/FQ31.h"
#include "panels/FQ31_SD.h"
#include "panels/FSabGen.h"
#include "platform/controls/QsGlyphButton.h"
#include "platform/controls/QsSwitch.h"
#include "settings/Q31FKey.h"
#include "settings/Q31FSet.h"
#include "settings/Q31FSetPages.h"
#include "tests/desktop/Desktop.h"
#include "ui/Dialogs.h"
#include "ui/Texts.h"

using namespace desktop;

namespace {

std::vector<std::string> faults;
int hoverCaptions = 0;

QString Plain(QString text) {  // as shown: "&&" is an ampersand, "&x" underlines x
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
}

// A text at the widget's font (or the one given) in a box, on one line or wrapped.
void NeedsRoom(const QWidget* w, const char* what, const QString& text, const QRectF& room, bool wrap = false,
               const QFont* font = nullptr) {
    QSizeF need =
        QFontMetricsF(font ? *font : w->font())
            .boundingRect(room, Qt::AlignLeft | Qt::AlignTop | (wrap ? Qt::TextWordWrap : 0), Plain(text))
            .size();
    if (Qt::mightBeRichText(text)) {
        QTextDocument doc;
        doc.setDefaultFont(font ? *font : w->font());
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
    if (auto* l = qobject_cast<QLabel*>(w); l && l->pixmap().isNull()) {
        const int m = l->margin();
        NeedsRoom(l, "label", l->text(), QRectF(l->contentsRect().adjusted(m, m, -m, -m)), l->wordWrap());
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        const QRect room =
            c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c);
        for (int i = 0; i < c->count(); ++i) NeedsRoom(c, "ring item", c->itemText(i), room);
    } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
        const int margin = 2 * (t->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t) + 1);
        const QHeaderView* header = t->horizontalHeader();
        QFont bold = header->font();
        bold.setBold(true);
        for (int c = 0; c < t->columnCount(); ++c) {
            // Only the viewport shows: a column under the scroll bar is cut.
            const int x = header->sectionViewportPosition(c),
                      width = std::min(header->sectionSize(c), t->viewport()->width() - x);
            if (QTableWidgetItem* h = t->isColumnHidden(c) ? nullptr : t->horizontalHeaderItem(c))
                NeedsRoom(t, "column title", h->text(), QRectF(0, 0, width - 6, header->height()), false,
                          &bold);
            for (int r = 0; r < std::min(t->rowCount(), 20) && !t->isColumnHidden(c); ++r)
                if (QTableWidgetItem* item = t->item(r, c))
                    NeedsRoom(t, "cell", item->text(), QRectF(0, 0, width - margin, t->rowHeight(r) + 2));
        }
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        NeedsRoom(g, "frame title", g->title(), QRectF(0, 0, g->width() - 20, g->height()));
    } else if (auto* n = qobject_cast<QSpinBox*>(w)) {  // its largest value whole
        QStyleOptionSpinBox opt;
        opt.initFrom(n);
        opt.buttonSymbols = n->buttonSymbols();
        const QRect room =
            n->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, n);
        NeedsRoom(n, "number",
                  n->prefix() + QString::number(n->maximum(), n->displayIntegerBase()) + n->suffix(),
                  QRectF(room).adjusted(2, 0, -2, 0));
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
        NeedsRoom(b, "button", b->text(), b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b));
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
    // A child panel lies in its parent, a window on its screen.
    if (!root->isWindow() && !root->parentWidget()->rect().contains(root->geometry()))
        faults.push_back(root->objectName().toStdString() + " lies outside the window that holds it");
    if (root->isWindow() && root->isVisible() && root->screen() &&
        !root->screen()->availableGeometry().contains(root->frameGeometry()))
        faults.push_back(root->objectName().toStdString() + " window is not wholly on its screen");
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
    for (size_t i = before; i < faults.size(); ++i)
        faults[i] = qs::rt::PanelWidget(panel)->objectName().toStdString() + ": " + faults[i];
}

// Waits until a panel of the resource is loaded and shown (its window mapped and laid out),
// checks it, then acts on it.
Step CheckThen(const char* resource, int panelId, std::function<void(int)> then) {
    return [=] {
        const int panel = FindLoadedPanel(resource, panelId);
        QWidget* w = qs::rt::PanelWidget(panel);
        if (!w || !w->isVisible()) return false;
        QApplication::processEvents();
        CheckPanel(panel);
        then(panel);
        return true;
    };
}

const char* Longest(std::initializer_list<const char*> texts) {
    return std::ranges::max(texts, {}, [](const char* t) { return strlen(t); });
}

int nested = 0;  // modal dialogs the script opened itself and answers from their turns
void CheckTurn(int panel) {
    if (nested++ > 0) return;
    CheckPanel(panel);
    QueueUserEvent(panel, panel == FindLoadedPanel("FSabGen.uir", fsabgen::LANGUE) ? fsabgen::LANGUE_EN
                                                                                   : fq12::IMPORT_CANCEL);
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
            for (int page = 0; page < kQ31FSetPages; ++page) Q31FSetParam(page);
            hoverCaptions = 0;
            CheckPanel(Q31FIhmG);
            EXPECT_GE(hoverCaptions, 19) << "the main window's captioned controls";
            for (int page = 0; page < kQ31FSetPages; ++page) CheckPanel(Q31FSetPanel(page));
            const int keys = FindLoadedPanel("FQ31.uir", KEYS);
            DisplayPanel(keys);
            CheckPanel(keys);
            Q31FKeyFermer();
            Q31FsdOuvrir();
        }),
        Passes(20),  // the second display lays itself out again once its window has its size
        CheckThen("FQ31_SD.uir", fq31_sd::DISPLAY,
                  [](int panel) {
                      CheckPanel(FindLoadedPanel("FQ31_SD.uir", fq31_sd::COUNTDOWN));
                      CheckPanel(FindLoadedPanel("FQ31_SD.uir", fq31_sd::DIAL_WIN));
                      QueueUserEvent(Q31FIhmG, MAIN_PARAMS);  // with the second display: the whole dialog
                  }),
        CheckThen("FQ31.uir", PARAMS,
                  [](int panel) {
                      Q31FsdFermer();
                      QueueUserEvent(panel, PARAMS_LIVE_VIEW);
                  }),
        CheckThen("FQ31.uir", LIVE,
                  [](int panel) {  // the longest reason the live view could not start, where it is told
                      SetCtrlVal(panel, LIVE_STATUS,
                                 Longest({Q31TxtMesG[kMesLiveInUse], Q31TxtMesG[kMesLiveAccess],
                                          Q31TxtMesG[kMesLiveAddress], Q31TxtMesG[kMesLivePage],
                                          Q31TxtMesG[kMesLiveOther]}));
                      CheckPanel(panel);
                      QueueUserEvent(panel, LIVE_CANCEL);
                  }),
        Until([] { return !FindLoadedPanel("FQ31.uir", LIVE); }),  // back in the parameters dialog
        Answer("FQ31.uir", PARAMS, PARAMS_CANCEL),
        Do([] { Q12Ouvrir(Q31FIhmG, MAIN_Q12_SWITCH); }),
        CheckThen("FQ12.uir", fq12::COMPET, [](int) { Q12Fermer(); }),
        Do([language] {
            // Every port number once: their names are the same in every language, so the
            // other languages list the two longest only (looking each one up takes a while).
            SbComG.freePortCount = language == 0 ? 64 : 2;
            for (int i = 0; i < 64; ++i)
                SbComG.portList[size_t(i)] = language == 0 ? i + 1 : 48 + 16 * (i % 2);
            SetCtrlVal(Q31FIhmG, MAIN_CONNECT_SWITCH, 1);
            QueueUserEvent(Q31FIhmG, MAIN_CONNECT_SWITCH);
        }),
        CheckThen("FQ31.uir", CONNECT, [](int panel) { QueueUserEvent(panel, CONNECT_CANCEL); }),
        Do([] { QueueUserEvent(Q31FIhmG, MAIN_ABOUT); }),
        CheckThen("FSabGen.uir", fsabgen::ABOUT, [](int) { SbAboutFermer(); }),
        Do([] { QueueUserEvent(Q31FIhmG, MAIN_QUIT); }),
        CheckThen("FSabGen.uir", fsabgen::POPUP,
                  [](int panel) { QueueUserEvent(panel, fsabgen::POPUP_ANNULER); }),
        Do([] {  // the longest error the box gets, both ways out shown as when the link is open
            char text[200];
            StrFormat(text, sizeof text, "%s COM64 (/dev/ttyACM15).\n%s", GMesComG[kMesComPortDenied],
                      GMesComG[kMesComPortDeniedFix]);
            Q31FormerErreur(GMesComG[3], text);
        }),
        CheckThen("FSabGen.uir", fsabgen::ERREUR,
                  [](int panel) {
                      SetCtrlAttribute(panel, fsabgen::ERREUR_BOUTON2, ATTR_VISIBLE, 1);
                      SetCtrlAttribute(panel, fsabgen::ERREUR_BOUTON2, ATTR_LABEL_TEXT, GLabelBpG[6]);
                      CheckPanel(panel);
                      QueueUserEvent(panel, fsabgen::ERREUR_BOUTON1);
                  }),
        Do([] {
            SbWait(Q31FIhmG, Longest({GMesComG[0], GMesComG[1], GMesComG[14], Q31TxtMesG[0], Q31TxtMesG[1]}));
            CheckPanel(FindLoadedPanel("FSabGen.uir", fsabgen::WAIT));
            SbFermerWait(true, 0);
            nested = 0;
            Q12SetTourDialogue(CheckTurn);
            Q12Cnf cnf = Q12CnfG;
            Q12DialogueImport(&cnf);
            Q12SetTourDialogue(nullptr);
            nested = 0;
            SbSetTourModal(CheckTurn);
            SbChoixLangue(Q31FIhmG);
            SbSetTourModal(nullptr);
            Q31QuitG = 1;
        })};
}

}  // namespace

TEST(Layout, EveryPanelFitsInEveryLanguage) {
    for (int language = 0; language < 4; ++language) {
        qstest::TempProgramDir dir;
        faults.clear();
        EXPECT_EQ(RunProgram(language, EveryPanel(language)), EveryPanel(language).size())
            << "language " << language;
        for (const std::string& f : faults) ADD_FAILURE() << GenCodeLangue(language) << " " << f;
    }
}
