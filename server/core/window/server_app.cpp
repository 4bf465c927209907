#include "server/core/window/server_app.h"

#include <QApplication>
#include <QEventLoop>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "common/clock.h"
#include "common/codepage.h"
#include "common/drawing_values.h"
#include "common/qt_translation.h"
#include "common/work_folders.h"
#include "server/core/time_format.h"
#include "server/core/window/choice_list.h"
#include "server/core/window/control_rules.h"
#include "server/core/window/figure_icons.h"
#include "server/core/window/qt_text.h"
#include "server/core/window/subject_panel.h"
#include "server/records/rounds_elsewhere.h"
#include "server/records/session_start.h"

namespace quib::server {

namespace {

// How often the main loop looks at the clock and anything a wake-up missed.
constexpr int kClockTickMs = 100;
constexpr std::uint32_t kMirrorRefreshMs = 40;

void SetBackground(QLabel* label, std::int32_t colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, WireColour(static_cast<protocol::Colour>(colour)));
    label->setPalette(palette);
}

void ApplyEnablement(QWidget* widget, Enablement enablement) {
    if (enablement != Enablement::Keep) {
        widget->setEnabled(enablement == Enablement::Enable);
    }
}

}  // namespace

ServerApp::ServerApp(ServerOptions options, Dialogs& dialogs, LanguageChooser& chooser)
    : options_(std::move(options)), dialogs_(dialogs), chooser_(chooser) {}

ServerApp::~ServerApp() {
    Shutdown();
}

std::string ServerApp::CreditsText() const {
    return texts_[txt::kCreditsGame] + "\n" + texts_[txt::kCreditsProgrammedBy] + " " +
           texts_[txt::kAuthorCredit] + ".";
}

std::uint16_t ServerApp::port() const {
    return engine_ ? engine_->port() : 0;
}

bool ServerApp::Start() {
    const ServerSettings settings = LoadSettings(options_.workDir, chooser_);
    texts_ = LoadTexts(options_.workDir, settings.languageFile);
    UseQtTranslation(qtTexts_, settings.languageFile);
    state_.logMaxLines = 50;
    // The boxes the network thread asks for are shown by this thread.
    networkMessages_ = std::make_unique<CrossThreadMessages>(
        dialogs_, this, [this](const std::string& text) { PostLogMessage(state_, text); });
    engine_ = std::make_unique<Engine>(state_, texts_, WorkFolders::In(options_.workDir),
                                       networkMessages_.get());
    door_ = std::make_unique<EngineDoor>(*engine_);
    state_.gameState = Idle;
    state_.commentPlaceholder = texts_[txt::kCommentPlaceholder];
    if (!CreateWorkingFolders()) {
        shutDown_ = true;  // nothing runs yet, and this path ends without the credits
        return false;
    }
    // The port before the window: a second server on this computer says
    // that the port is taken before it opens a whole console that could
    // never reach a player.
    if (!engine_->Listen(options_.port)) {
        dialogs_.ShowMessage(texts_[txt::kErrorTitle], texts_[txt::kCannotStartServer]);
        dialogs_.ShowMessage("credits:", CreditsText());
        shutDown_ = true;
        return false;
    }
    engine_->PrepareStart();
    StartSessionFile();
    BuildWindowTitle(false);

    window_ = std::make_unique<MainWindow>(texts_);
    window_->setWindowTitle(ToQt(state_.windowTitle));
    window_->onCloseRequested = [this] { RequestQuit(); };
    quitSignals_ = std::make_unique<QuitSignals>([this] { RequestQuitFromOutside(); });
    if (options_.windowPosition) {
        window_->move(*options_.windowPosition);
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        window_->move(screen->availableGeometry().center() - window_->rect().center());
    }
    window_->show();
    dialogs_.SetParent(window_.get());
    subjects_ =
        std::make_unique<SubjectPanel>(*window_, state_, texts_, dialogs_, options_.workDir);
    ConnectControls();
    UpdateControls(true);
    MirrorSettings();

    BuildWindowTitle(true);
    window_->setWindowTitle(ToQt(state_.windowTitle));
    engine_->StartLinks(MonotonicMilliseconds());

    networkThread_ = std::make_unique<NetworkThread>(*engine_);
    networkThread_->SetAfterPass([this] {
        bool pending = false;
        {
            std::lock_guard guard(state_.lock);
            pending = HasMainThreadWork(state_);
        }
        if (pending) {
            WakeMainThread();
        }
    });
    networkThread_->Start();

    connect(&clockTimer_, &QTimer::timeout, this, &ServerApp::Iterate);
    mirrorTimer_.setSingleShot(true);
    connect(&mirrorTimer_, &QTimer::timeout, this, &ServerApp::Iterate);
    clockTimer_.start(kClockTickMs);
    return true;
}

bool ServerApp::CreateWorkingFolders() {
    for (const char* name : kWorkFolderNames) {
        const std::filesystem::path folder = options_.workDir / name;
        std::error_code error;
        if (std::filesystem::is_directory(folder, error)) {
            continue;
        }
        if (!std::filesystem::create_directory(folder, error) || error) {
            const std::string fullPath = options_.workDir.string() + "/" + name + "/";
            dialogs_.ShowMessage(texts_[txt::kErrorTitle],
                                 texts_[txt::kCannotCreateFolder] + " " + fullPath);
            return false;
        }
    }
    return true;
}

// After PrepareStart: the record folders exist and a killed run's writes
// are finished, so the session file begins on a lab folder in order.
void ServerApp::StartSessionFile() {
    std::random_device device;
    const unsigned long long randomBits =
        (static_cast<unsigned long long>(device()) << 32U) ^ device();
    session_ = StartSession(options_.workDir, randomBits, engine_->game().localClock(), texts_,
                            [this](const std::string& line) { PostLogMessage(state_, line); });
    if (session_) {
        engine_->WriteSessionTo(
            [writer = session_.get()](std::string line) { writer->Append(std::move(line)); });
    }
}

// With the network thread stopped: the last line, then the writer's last
// attempt, outside stateLock (its reports take it).
void ServerApp::EndSessionFile() {
    if (!session_) {
        return;
    }
    {
        std::lock_guard guard(state_.lock);
        engine_->EndSession();
        engine_->WriteSessionTo({});
    }
    session_->Stop();
}

void ServerApp::BuildWindowTitle(bool withAddresses) {
    state_.windowTitle =
        texts_[txt::kTitleProgrammedBy] + " " + texts_[txt::kAuthorCredit] + " - IP: ";
    if (!withAddresses) {
        return;
    }
    const std::vector<std::string> addresses = LocalIpv4Addresses();
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        state_.windowTitle += (i == 0 ? "" : " , ") + addresses[i];
    }
}

void ServerApp::ConnectControls() {
    MainWindow& w = *window_;
    connect(w.Button(control::kStartToggle), &QPushButton::clicked, this,
            &ServerApp::OnStartToggle);
    connect(w.Button(control::kAbort), &QPushButton::clicked, this, &ServerApp::OnAbort);
    connect(w.Button(control::kResetPoints), &QPushButton::clicked, this,
            [this] { OnResetScores(ResetKind::Series); });
    connect(w.Button(control::kResetRecord), &QPushButton::clicked, this,
            [this] { OnResetScores(ResetKind::Record); });
    connect(w.Button(control::kResetStatistics), &QPushButton::clicked, this,
            [this] { OnResetScores(ResetKind::Panel); });
    for (int id : kSettingLists) {
        connect(w.List(id), &QComboBox::currentIndexChanged, this, [this] {
            MirrorSettings();
            UpdateControls(false);
        });
    }
    for (int seat = 0; seat < 2; ++seat) {
        connect(w.List(control::Seat(seat, control::kSubjectSelector)), &QComboBox::activated, this,
                [this, seat] {
                    subjects_->OnSelectorChosen(seat);
                    UpdateControls(false);
                });
    }
}

// The network thread reads the game settings from here, never from the
// widgets.
void ServerApp::MirrorSettings() {
    const MainWindow& w = *window_;
    auto entry = [&w](int id) { return static_cast<std::int32_t>(w.List(id)->currentIndex()); };
    auto text = [&w](int id) { return FromQt(w.List(id)->currentText()); };
    GameSettings s;
    s.level = entry(control::kLevel);
    s.speed = entry(control::kSpeed);
    s.display = entry(control::kDisplay);
    s.figure = {entry(control::kFigure1), entry(control::kFigure2)};
    s.start = {entry(control::kStart1), entry(control::kStart2)};
    s.levelText = text(control::kLevel);
    s.speedText = text(control::kSpeed);
    s.displayText = text(control::kDisplay);
    s.figureText = {text(control::kFigure1), text(control::kFigure2)};
    s.startText = {text(control::kStart1), text(control::kStart2)};
    s.startToggleDown = w.Button(control::kStartToggle)->isChecked();
    std::lock_guard guard(state_.lock);
    settingsPending_ = !door_->SetSettings(s);
}

void ServerApp::UpdateControls(bool populateLists) {
    MainWindow& w = *window_;
    if (populateLists) {
        FillFigureLists();
        subjects_->FillSelectors();
        w.Editor(control::kLog)->setPlainText(ToQt(texts_[txt::kLogHeading]));
        w.Editor(control::kLog)->setMaximumBlockCount(state_.logMaxLines);
    }
    ControlInputs in;
    {
        std::lock_guard guard(state_.lock);
        in.gameState = state_.gameState;
        for (int seat = 0; seat < 2; ++seat) {
            const auto s = static_cast<std::size_t>(seat);
            seatConnected_[s] = door_->SeatConnected(seat).value_or(seatConnected_[s]);
            in.seatConnected[s] = seatConnected_[s];
        }
    }
    in.toggleDown = w.Button(control::kStartToggle)->isChecked();
    for (int seat = 0; seat < 2; ++seat) {
        const auto s = static_cast<std::size_t>(seat);
        in.subjectEntry[s] = w.List(control::Seat(seat, control::kSubjectSelector))->currentIndex();
        in.subjectNumber[s] = subjects_->SubjectNumber(seat);
    }
    for (std::size_t i = 0; i < std::size(kSettingLists); ++i) {
        in.settingEntry[i] = w.List(kSettingLists[i])->currentIndex();
        const auto* list = qobject_cast<const ChoiceList*>(w.List(kSettingLists[i]));
        in.chosenEntriesUsable = in.chosenEntriesUsable && list->ChosenEntryUsable();
    }
    const ControlStates states = EvaluateControls(in);
    w.Button(control::kAbort)->setEnabled(states.abortEnabled);
    w.Button(control::kStartToggle)->setText(ToQt(texts_[states.toggleTextKey]));
    for (int id : {control::Seat(0, control::kSubjectSelector),
                   control::Seat(1, control::kSubjectSelector)}) {
        ApplyEnablement(w.Control(id), states.gameControls);
    }
    for (int id : kSettingLists) {
        ApplyEnablement(w.Control(id), states.gameControls);
    }
    ApplyEnablement(w.Control(control::kStartToggle), states.startToggle);
}

namespace {

// Why the figure lists offer a picture as unusable, in the lab's language.
std::string FigureProblemText(const ServerTexts& texts, const FigureEntry& figure) {
    return texts[figure.problem == FigureProblem::NameTooLong ? txt::kPictureNameTooLong
                                                              : txt::kPictureNotLoadable];
}

}  // namespace

void ServerApp::FillFigureLists() {
    const std::filesystem::path& grafik = engine_->folders().grafik;
    bool anyUsable = false;
    for (const FigureEntry& figure : ListFigurePictures(grafik, *engine_->pictures())) {
        const QIcon icon(QPixmap::fromImage(figure.icon));
        for (int id : {control::kFigure2, control::kFigure1}) {
            auto* list = qobject_cast<ChoiceList*>(window_->List(id));
            if (figure.usable) {
                list->addItem(icon, ToQt(figure.fileName));
            } else {
                // Listed, so that the experimenter sees the picture is there
                // and why no game can use it, but not choosable.
                list->AddUnusableItem(ToQt(figure.fileName),
                                      ToQt(FigureProblemText(texts_, figure)));
            }
        }
        anyUsable = anyUsable || figure.usable;
    }
    // Without a figure the start button can never be pressed, or a game
    // would show no figure: say why, and where the pictures belong.
    if (!anyUsable) {
        const std::string why =
            texts_[txt::kNoUsableFigures] + " " + Utf8ToCp1252(grafik.string()) + "/";
        window_->ShowWarning(control::kFigureWarning, ToQt(why));
        PostLogMessage(state_, why);
    }
}

void ServerApp::OnStartToggle() {
    MainWindow& w = *window_;
    {
        std::lock_guard guard(state_.lock);
        if (w.Button(control::kStartToggle)->isChecked() && state_.gameState == Idle) {
            startPending_ = !door_->StartGame(MonotonicMilliseconds(), CurrentLocalTime());
        }
    }
    MirrorSettings();
    UpdateControls(false);
}

void ServerApp::OnAbort() {
    if (dialogs_.BoxOpen()) {
        return;  // the experimenter is answering another box
    }
    // The lock is taken only after the answer: the network thread must not
    // wait for the experimenter.
    if (dialogs_.AskYesNo(texts_[txt::kAbort] + "?", texts_[txt::kAbortRoundQuestion])) {
        window_->Button(control::kStartToggle)->setChecked(false);
        std::lock_guard guard(state_.lock);
        startPending_ = false;
        abortPending_ = !door_->Abort();
    }
    MirrorSettings();
    UpdateControls(false);
}

void ServerApp::OnResetScores(ResetKind kind) {
    std::lock_guard guard(state_.lock);
    if (!door_->ResetScores(kind)) {
        resetPending_ = kind;
    }
}

void ServerApp::RetryRefusedCommands() {
    if (!(settingsPending_ || startPending_ || abortPending_ || resetPending_)) {
        return;
    }
    std::lock_guard guard(state_.lock);
    if (!door_->Open()) {
        return;
    }
    if (abortPending_) {
        abortPending_ = !door_->Abort();
    }
    if (startPending_) {
        startPending_ = false;
        if (state_.gameState == Idle && window_->Button(control::kStartToggle)->isChecked()) {
            door_->StartGame(MonotonicMilliseconds(), CurrentLocalTime());
        }
    }
    if (resetPending_ && door_->ResetScores(*resetPending_)) {
        resetPending_.reset();
    }
    if (settingsPending_) {
        MirrorSettings();
    }
}

void ServerApp::WakeMainThread() {
    if (!wakePending_.exchange(true)) {
        wakeUps_.Post([this] { Iterate(); });
    }
}

void ServerApp::Iterate() {
    wakePending_ = false;
    if (!window_ || shutDown_) {
        return;
    }
    RetryRefusedCommands();
    ApplyDeferredUpdates();
    ShowLiveTime();
    DrainLog();
    HandleQuit();
}

void ServerApp::ApplyDeferredUpdates() {
    std::lock_guard guard(state_.lock);
    if (!door_->Open()) {
        return;
    }
    MainWindow& w = *window_;
    // While the mirror timer runs, the window looks at the mirrors anyway
    // when it fires; the network thread need not wake it for a change.
    state_.boardRefreshTimed = mirrorTimer_.isActive() ? 1 : 0;
    const bool mirrorsShown =
        (state_.refreshBoard[0] || state_.refreshBoard[1]) && ShowMirrorChangesIfDue();
    // The strips change with every exchange; while the mirrors are shown at
    // their pace, they go along with the next showing, so that both cost one
    // repaint and one trip to the display.
    if (state_.refreshStrips && (mirrorsShown || !mirrorTimer_.isActive())) {
        state_.refreshStrips = 0;
        for (int seat = 0; seat < 2; ++seat) {
            w.Picture(control::Seat(seat, control::kStrip))->ChangeImage([&](QImage& shown) {
                return door_->CopyGraph(seat, shown).value_or(QRect());
            });
        }
    }
    for (int seat = 0; seat < 2; ++seat) {
        ShowStatusSlot(seat, control::Seat(seat, control::kLowerStatus));
        ShowStatusSlot(seat + 2, control::Seat(seat, control::kUpperStatus));
    }
    if (state_.refreshSeatLines) {
        state_.refreshSeatLines = 0;
        for (int seat = 0; seat < 2; ++seat) {
            const SeatLines& lines = state_.seatLines[static_cast<std::size_t>(seat)];
            w.Label(control::Seat(seat, control::kAddressLine))->setText(ToQt(lines.addressLine));
            w.Label(control::Seat(seat, control::kHostLine))->setText(ToQt(lines.hostLine));
        }
    }
    if (state_.refreshSeatWarnings) {
        state_.refreshSeatWarnings = 0;
        for (int seat = 0; seat < 2; ++seat) {
            w.ShowWarning(control::Seat(seat, control::kPictureWarning),
                          ToQt(state_.seatWarnings[static_cast<std::size_t>(seat)]));
        }
    }
    if (state_.refreshSubjectStats) {
        state_.refreshSubjectStats = 0;
        subjects_->ShowStatistics();
    }
    if (state_.refreshControls) {
        state_.refreshControls = 0;
        UpdateControls(false);
    }
    if (state_.refreshStatistics) {
        state_.refreshStatistics = 0;
        ShowStatistics();
    }
}

bool ServerApp::ShowMirrorChangesIfDue() {
    const std::uint32_t now = options_.clock();
    const std::uint32_t since = ElapsedMs(now, mirrorsShownAt_);
    if (since < kMirrorRefreshMs) {
        const int wait = static_cast<int>(kMirrorRefreshMs - since);
        if (!mirrorTimer_.isActive() || mirrorTimer_.remainingTime() > wait) {
            mirrorTimer_.start(wait);
        }
        state_.boardRefreshTimed = 1;
        return false;
    }
    mirrorsShownAt_ = now;
    for (int seat = 0; seat < 2; ++seat) {
        const auto s = static_cast<std::size_t>(seat);
        if (state_.refreshBoard[s]) {
            state_.refreshBoard[s] = 0;
            ShowMirrorChange(seat, Mirrors::View::Screen, control::kBoard);
            ShowMirrorChange(seat, Mirrors::View::PartnerView, control::kPartnerView);
        }
    }
    // Moving figures change the mirrors with every frame: the timer looks
    // again when the next showing is due, instead of the network thread
    // waking the window for the first change in between. Once nothing
    // changes, it fires once more and stays off.
    mirrorTimer_.start(static_cast<int>(kMirrorRefreshMs));
    state_.boardRefreshTimed = 1;
    return true;
}

// The changed pixels go straight from the mirror onto the field, under the
// lock: a copy taken under the lock and put on the field after it would
// copy them twice.
void ServerApp::ShowMirrorChange(int seat, Mirrors::View view, int field) {
    window_->Picture(control::Seat(seat, field))->ChangeImage([&](QImage& shown) {
        return door_->CopyMirrorChange(seat, view, shown).value_or(QRect());
    });
}

void ServerApp::ShowStatusSlot(int slot, int controlId) {
    StatusSlot& status = state_.statusSlots[static_cast<std::size_t>(slot)];
    if (!status.dirty) {
        return;
    }
    QLabel* line = window_->Label(controlId);
    if (status.colour >= 0) {
        SetBackground(line, status.colour);
    }
    line->setText(ToQt(status.text));
    status.dirty = 0;
}

void ServerApp::ShowStatistics() {
    const std::optional<ServerStatistics> statistics = door_->Statistics();
    if (!statistics) {
        return;
    }
    QTableWidget* list = window_->StatisticsList();
    const ServerStatistics& st = *statistics;
    const StatisticsRow rows[6] = {{0, st.currentRow.points, st.currentRow.rounds},
                                   st.lastRow,
                                   st.totalRow,
                                   st.levelRow[1],
                                   st.levelRow[2],
                                   st.levelRow[3]};
    for (int row = 1; row <= 6; ++row) {
        const StatisticsRow& values = rows[row - 1];
        list->item(row, 1)->setText(ToQt(FormatClock(values.ms / 1000)));
        list->item(row, 2)->setText(QString::number(values.points));
        list->item(row, 3)->setText(QString::number(values.rounds));
    }
}

void ServerApp::ShowLiveTime() {
    const LocalTime now = CurrentLocalTime();
    if (now.second == state_.lastSecond) {
        return;
    }
    std::lock_guard guard(state_.lock);
    if (const std::optional<std::uint32_t> elapsed = door_->LiveRoundMs(options_.clock())) {
        window_->StatisticsList()->item(1, 1)->setText(ToQt(FormatClock(*elapsed / 1000)));
    }
    state_.lastSecond = now.second;
}

void ServerApp::DrainLog() {
    std::vector<std::string> lines;
    {
        std::lock_guard guard(state_.lock);
        if (state_.logQueue.size() == 0) {
            return;
        }
        lines = state_.logQueue.TakeNewestFirst();
    }
    QPlainTextEdit* log = window_->Editor(control::kLog);
    for (const std::string& line : lines) {
        log->appendPlainText(ToQt(line));  // the view keeps at most logMaxLines lines
    }
    log->moveCursor(QTextCursor::End);
    log->ensureCursorVisible();
}

void ServerApp::RequestQuit() {
    state_.quitState = QuitAsked;
    HandleQuit();
}

void ServerApp::RequestQuitFromOutside() {
    quitFromOutside_ = true;
    RequestQuit();
}

void ServerApp::HandleQuit() {
    // While a box is open (this question among them) the close waits: it is
    // asked once that box has been answered.
    if (state_.quitState != QuitAsked || dialogs_.BoxOpen()) {
        return;
    }
    std::int32_t gameState = Idle;
    {
        std::lock_guard guard(state_.lock);
        gameState = state_.gameState;
    }
    // A signal is a deliberate request to end (a logout, a shutdown): only
    // rounds that would be lost are asked about, not the running game.
    if (gameState != Idle && !quitFromOutside_ &&
        !dialogs_.AskYesNo(texts_[txt::kAttention], texts_[txt::kQuitWhileRunning])) {
        state_.quitState = QuitNone;
        return;
    }
    switch (SettleUnsavedRounds(true)) {
        case Unsaved::Settled:
            state_.quitState = QuitConfirmed;
            QCoreApplication::exit(0);
            break;
        case Unsaved::Cancelled:
            state_.quitState = QuitNone;
            break;
        case Unsaved::AskLater:
            break;  // the main loop's next turn asks again
    }
}

std::optional<std::size_t> ServerApp::UnsavedRounds() {
    std::lock_guard guard(state_.lock);
    if (!door_->Open()) {
        return std::nullopt;
    }
    return engine_->UnsavedRounds();
}

// Rounds that a full disk kept from their files live only in memory: the
// program never ends with them unless the experimenter says so.
ServerApp::Unsaved ServerApp::SettleUnsavedRounds(bool mayCancel) {
    for (;;) {
        const std::optional<std::size_t> unsaved = UnsavedRounds();
        if (!unsaved) {
            return Unsaved::AskLater;
        }
        if (*unsaved == 0) {
            return Unsaved::Settled;
        }
        const std::optional<std::size_t> choice = dialogs_.AskChoice(
            texts_[txt::kAttention],
            texts_[txt::kUnsavedRounds] + " " + std::to_string(*unsaved) + "\n" +
                texts_[txt::kUnsavedRoundsQuestion],
            {texts_[txt::kTryAgain], texts_[txt::kWriteElsewhere], texts_[txt::kDiscard]});
        if (!choice) {
            if (mayCancel) {
                return Unsaved::Cancelled;
            }
            continue;  // the program is past going back: ask again
        }
        if (*choice == 0) {
            std::lock_guard guard(state_.lock);
            engine_->RetryUnsavedRounds();
        } else if (*choice == 1) {
            WriteUnsavedRoundsElsewhere();
        } else {
            std::lock_guard guard(state_.lock);
            engine_->DiscardUnsavedRounds();
        }
    }
}

void ServerApp::WriteUnsavedRoundsElsewhere() {
    const std::optional<std::filesystem::path> folder =
        dialogs_.AskFolder(texts_[txt::kChooseFolderForRounds]);
    if (!folder) {
        return;
    }
    const std::string shown = Utf8ToCp1252(folder->string());
    if (!CanTakeRounds(*folder)) {
        dialogs_.ShowMessage(texts_[txt::kErrorTitle], texts_[txt::kFolderNotEmpty] + " " + shown);
        return;
    }
    std::lock_guard guard(state_.lock);
    const std::size_t before = engine_->UnsavedRounds();
    if (engine_->WriteUnsavedRoundsInto(*folder) < before) {
        PostLogMessage(state_, texts_[txt::kRoundsWrittenElsewhere] + " " + shown);
    }
}

void ServerApp::Run() {
    if (!quitConfirmed()) {
        QApplication::exec();
    }
    Shutdown();
}

void ServerApp::Shutdown() {
    if (shutDown_ || !engine_) {
        return;
    }
    shutDown_ = true;
    clockTimer_.stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (networkMessages_) {
        networkMessages_->Shutdown();
    }
    if (networkThread_) {
        networkThread_->Stop();
    }
    // A round that ended after the question was answered waits too; with
    // the game stopped, this is the last chance to keep it.
    SettleUnsavedRounds(false);
    {
        std::lock_guard guard(state_.lock);
        engine_->FinishUnfinishedWrites();
    }
    EndSessionFile();
    if (window_) {
        window_->hide();
    }
    if (!quitFromOutside_) {
        dialogs_.ShowMessage("credits:", CreditsText());
    }
}

}  // namespace quib::server
