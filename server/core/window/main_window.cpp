#include "server/core/window/main_window.h"

#include "server/core/window/choice_list.h"

#include <QCloseEvent>
#include <QFont>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>

#include <type_traits>

#include "common/plain_widgets.h"
#include "server/core/window/qt_text.h"

namespace quib::server {

namespace {

constexpr int kWindowWidth = 1353;
constexpr int kWindowHeight = 700;
constexpr int kSeatOffsetX = 670;

// Labels and lists are 16 and 21 pixels high: the window's own font must fit
// them, whatever the desktop's default is.
QFont WindowFont() {
    QFont font("Arial");
    font.setPixelSize(11);
    return font;
}

QFont StatusLineFont() {
    return QFont("Arial", 10);
}

}  // namespace

QImage DrawWarningIcon() {
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(QColor(0, 0, 0, 1));  // black, alpha 1: practically transparent
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 0, 0, 255));
    painter.drawEllipse(QPoint(7, 8), 6, 6);
    painter.setBrush(QColor(255, 255, 255, 255));
    painter.drawEllipse(QPoint(7, 8), 5, 5);
    QFont font("Arial", 9);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(200, 0, 0));
    painter.drawText(QRect(6, 1, 10, 15), Qt::AlignLeft | Qt::AlignTop, "!");
    return icon;
}

MainWindow::MainWindow(const ServerTexts& texts, QWidget* parent)
    : QWidget(parent), texts_(texts), warningIcon_(DrawWarningIcon()) {
    setFixedSize(kWindowWidth, kWindowHeight);
    setFont(WindowFont());
    for (int seat = 0; seat < 2; ++seat) {
        BuildSeatPanel(seat);
    }
    BuildCommonArea();
}

template <typename W>
W* MainWindow::Place(int id, int x, int y, int width, int height) {
    static_assert(!std::is_base_of_v<QLabel, W>, "labels come from PlaceLabel");
    return Register(new W(this), id, x, y, width, height);
}

QLabel* MainWindow::PlaceLabel(int id, int x, int y, int width, int height) {
    return Register(MakePlainLabel(this), id, x, y, width, height);
}

template <typename W>
W* MainWindow::Register(W* widget, int id, int x, int y, int width, int height) {
    widget->setObjectName(QString::number(id));
    widget->setGeometry(x, y, width, height);
    controls_[id] = widget;
    return widget;
}

// A picture field shows its image unscaled at the stated size; the sunken
// border lies around it, so no pixel of a mirror is hidden by the frame.
PictureField* MainWindow::PlacePicture(int id, int x, int y, int width, int height) {
    auto* border = new QFrame(this);
    border->setObjectName(QString::number(id) + "-border");
    border->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    border->setLineWidth(1);
    border->setGeometry(x - 1, y - 1, width + 2, height + 2);
    auto* picture = new PictureField(width, height, this);
    picture->setObjectName(QString::number(id));
    picture->setGeometry(x, y, width, height);
    controls_[id] = picture;
    return picture;
}

QComboBox* MainWindow::PlaceList(int id, int x, int y, int width,
                                 std::initializer_list<int> textKeys) {
    auto* list = Place<ChoiceList>(id, x, y, width, 21);
    list->setIconSize(QSize(16, 16));
    bool first = true;
    for (int key : textKeys) {
        if (first) {
            list->addItem(QIcon(QPixmap::fromImage(warningIcon_)), ToQt(texts_[key]));
            first = false;
        } else {
            list->addItem(ToQt(texts_[key]));
        }
    }
    return list;
}

void MainWindow::BuildSeatPanel(int seat) {
    using namespace control;
    const int x0 = seat * kSeatOffsetX;
    auto id = [seat](int k) { return Seat(seat, k); };
    PlacePicture(id(kBoard), x0 + 10, 10, 480, 480);
    PlacePicture(id(kPartnerView), x0 + 500, 10, 170, 170);
    for (auto [k, y] : {std::pair{kUpperStatus, 498}, std::pair{kLowerStatus, 525}}) {
        auto* line = PlaceLabel(id(k), x0 + 10, y, 484, 21);
        line->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        line->setFont(StatusLineFont());
        line->setAutoFillBackground(true);
    }
    PlacePicture(id(kStrip), x0 + 10, 550, 660, 20);
    PlaceLabel(id(kAddressLine), x0 + 500, 190, 170, 16)
        ->setText(ToQt(texts_[txt::kPlayer] + " " + std::to_string(seat + 1) + " - IP: ?"));
    PlaceLabel(id(kHostLine), x0 + 500, 206, 170, 16)->setText("Host: ?");
    PlaceList(id(kSubjectSelector), x0 + 500, 225, 170, {txt::kChooseSubject, txt::kCreateSubject});
    PlaceLabel(id(kSubjectPoints), x0 + 500, 253, 170, 16)
        ->setText(ToQt(texts_[txt::kPoints] + ": ???? " + texts_[txt::kSubjectTotal] + ", ?? " +
                       texts_[txt::kRecord]));
    PlaceLabel(id(kSubjectPlayTime), x0 + 500, 269, 170, 16)
        ->setText(ToQt(texts_[txt::kTotalPlayTime] + ": ?? " + texts_[txt::kHoursUnit] + " ?? " +
                       texts_[txt::kMinutesUnit]));
    PlaceLabel(id(kSubjectPartnerRounds), x0 + 500, 285, 170, 16)
        ->setText(ToQt("??? " + texts_[txt::kRoundsWithPartner]));
    PlaceLabel(id(kSubjectPartnerTime), x0 + 500, 301, 170, 16)
        ->setText(ToQt(texts_[txt::kInAllOf] + " ?? " + texts_[txt::kHoursUnit] + " ?? " +
                       texts_[txt::kMinutesUnit]));
    auto* comment = Place<QPlainTextEdit>(id(kComment), x0 + 500, 322, 170, 224);
    comment->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    comment->setPlainText(ToQt(texts_[txt::kCommentPlaceholder]));
    // Over the top of the mirror, where the experimenter looks: the mirror
    // shows a figure that the player's own screen lacks.
    PlaceWarning(id(kPictureWarning), x0 + 10, 10, 480);
}

// A warning line: hidden until it has something to say, then on top of
// whatever it covers, as tall as its text needs.
QLabel* MainWindow::PlaceWarning(int id, int x, int y, int width) {
    return Register(MakeWarningLabel(this, StatusLineFont()), id, x, y, width, 0);
}

void MainWindow::ShowWarning(int id, const QString& text) {
    QLabel* warning = Label(id);
    warning->setText(text);
    warning->setVisible(!text.isEmpty());
    if (!text.isEmpty()) {
        warning->resize(warning->width(), warning->heightForWidth(warning->width()));
        warning->raise();
    }
}

void MainWindow::BuildCommonArea() {
    using namespace control;
    PlaceLabel(9001, 10, 583, 85, 16)->setText(ToQt(texts_[txt::kLevelLabel]));
    PlaceList(kLevel, 100, 580, 200,
              {txt::kChooseLevel, txt::kLevel1, txt::kLevel2, txt::kLevel3, txt::kLevel4,
               txt::kLevel5, txt::kLevel6});
    PlaceLabel(9003, 10, 612, 85, 16)->setText(ToQt(texts_[txt::kSpeedLabel]));
    PlaceList(kSpeed, 100, 609, 200,
              {txt::kChooseSpeed, txt::kSpeedSlow, txt::kSpeedMedium, txt::kSpeedFast,
               txt::kSpeedInstant});
    PlaceLabel(9005, 10, 641, 85, 16)->setText(ToQt(texts_[txt::kDisplayField]));
    PlaceList(kDisplay, 100, 638, 200,
              {txt::kChooseDisplay, txt::kDisplayCovered, txt::kDisplayOpen});
    PlaceLabel(9007, 10, 670, 85, 16)->setText(ToQt(texts_[txt::kFigureLabel]));
    PlaceList(kFigure1, 100, 667, 96, {txt::kPlayer1});
    PlaceList(kFigure2, 205, 667, 96, {txt::kPlayer2, txt::kSameAsPlayer1})->setCurrentIndex(1);
    PlaceLabel(9010, 310, 583, 85, 16)->setText(ToQt(texts_[txt::kStartPositionField]));
    PlaceList(kStart1, 410, 580, 96,
              {txt::kPlayer1, txt::kRandom, txt::kTopLeft, txt::kTopRight, txt::kBottomLeft,
               txt::kBottomRight});
    PlaceList(kStart2, 515, 580, 96,
              {txt::kPlayer2, txt::kSameAsPlayer1, txt::kRandom, txt::kTopLeft, txt::kTopRight,
               txt::kBottomLeft, txt::kBottomRight})
        ->setCurrentIndex(1);
    auto* toggle = Place<QPushButton>(kStartToggle, 310, 608, 301, 23);
    toggle->setCheckable(true);
    toggle->setText(ToQt(texts_[txt::kStartGame]));
    Place<QPushButton>(kAbort, 310, 637, 301, 23)->setText(ToQt(texts_[txt::kAbortGameNow]));
    Place<QPushButton>(kResetPoints, 310, 666, 93, 23)->setText(ToQt(texts_[txt::kResetPoints]));
    Place<QPushButton>(kResetRecord, 411, 666, 96, 23)->setText(ToQt(texts_[txt::kResetRecord]));
    Place<QPushButton>(kResetStatistics, 515, 666, 96, 23)
        ->setText(ToQt(texts_[txt::kResetStatistics]));
    BuildStatisticsList();
    auto* log = Place<QPlainTextEdit>(kLog, 867, 580, 473, 108);
    log->setReadOnly(true);
    log->setPlainText(ToQt(texts_[txt::kLogHeading]));
    // Across both mirrors, which stay black while no game can start.
    PlaceWarning(kFigureWarning, 10, 10, 1333);
}

void MainWindow::BuildStatisticsList() {
    auto* list = Place<QTableWidget>(control::kStatistics, 620, 580, 237, 108);
    list->setColumnCount(4);
    list->setRowCount(7);
    list->horizontalHeader()->hide();
    list->verticalHeader()->hide();
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setStyleSheet("QTableWidget { gridline-color: rgb(153,153,153); }");
    const int widths[4] = {55, 60, 50, 50};
    for (int column = 0; column < 4; ++column) {
        list->setColumnWidth(column, widths[column]);
    }
    list->verticalHeader()->setMinimumSectionSize(1);
    list->verticalHeader()->setDefaultSectionSize(15);
    const int titles[4] = {-1, txt::kTimeTitle, txt::kPoints, txt::kRounds};
    const int rowLabels[7] = {-1,
                              txt::kCurrentRow,
                              txt::kLastRow,
                              txt::kTotalRow,
                              txt::kLevel1Row,
                              txt::kLevel2Row,
                              txt::kLevel3Row};
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 4; ++column) {
            auto* cell = new QTableWidgetItem();
            if (row == 0) {
                cell->setBackground(QColor(238, 238, 238));
                if (titles[column] >= 0) {
                    cell->setText(ToQt(texts_[titles[column]]));
                }
            } else if (column == 0) {
                cell->setText(ToQt(texts_[rowLabels[row]]));
            } else {
                cell->setText(column == 1 ? "00:00:00" : "0");
            }
            if (column > 0) {
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            list->setItem(row, column, cell);
        }
    }
}

QWidget* MainWindow::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

QLabel* MainWindow::Label(int id) const {
    return qobject_cast<QLabel*>(Control(id));
}
PictureField* MainWindow::Picture(int id) const {
    return dynamic_cast<PictureField*>(Control(id));
}
QComboBox* MainWindow::List(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}
QPushButton* MainWindow::Button(int id) const {
    return qobject_cast<QPushButton*>(Control(id));
}
QPlainTextEdit* MainWindow::Editor(int id) const {
    return qobject_cast<QPlainTextEdit*>(Control(id));
}
QTableWidget* MainWindow::StatisticsList() const {
    return qobject_cast<QTableWidget*>(Control(control::kStatistics));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCloseRequested) {
        onCloseRequested();
    }
}

}  // namespace quib::server
