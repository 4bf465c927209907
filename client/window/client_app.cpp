#include "client/window/client_app.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QScreen>

#include <string_view>
#include <utility>
#include <vector>

#include "client/screen_geometry.h"
#include "client/setting_ranges.h"
#include "common/image_store.h"
#include "common/qt_translation.h"
#include "common/work_folders.h"

namespace quib::client {
namespace {

// Status line backgrounds, red in the low byte.
constexpr protocol::Colour kConnectingColour = 0x009696FF;  // 255, 150, 150
constexpr protocol::Colour kFailureColour = 0x004B4BFF;     // 255, 75, 75
constexpr protocol::Colour kConnectedColour = 0x0096FF96;   // 150, 255, 150

bool HasScreenImages(const DrawingExecutor& drawing) {
    for (int index = 0; index < ImageStore::kScreenImages; ++index) {
        if (drawing.Image(index) == nullptr) {
            return false;
        }
    }
    return true;
}

}  // namespace

ClientApp::ClientApp(ClientAppConfig config, OptionsPrompts& prompts, QuitRequest quit)
    : config_(std::move(config)), prompts_(prompts), quit_(std::move(quit)) {}

ClientApp::~ClientApp() {
    StopNetwork();
}

bool ClientApp::Open() {
    settings_ = LoadClientSettings(config_.workDir);
    UseQtTranslation(qtTexts_, settings_.language);
    // Checked before the options, which never ask for these keys: a player
    // should not answer questions for a start that cannot succeed.
    const std::vector<UnworkableSetting> unworkable = FindUnworkableSettings(settings_);
    if (!unworkable.empty()) {
        texts_ = LoadClientTexts(config_.workDir, settings_.language);
        prompts_.ShowInformation(texts_[txt::kErrorTitle], DescribeUnworkableSettings(unworkable));
        return false;
    }
    texts_ = settings_.askOptions == 1 ? RunOptions(config_.workDir, settings_, prompts_,
                                                    [this](const std::string& languageFile) {
                                                        UseQtTranslation(qtTexts_, languageFile);
                                                    })
                                       : LoadClientTexts(config_.workDir, settings_.language);

    const ScreenGeometry geometry =
        ComputeScreenGeometry(settings_.baseHight, settings_.baseFontSize, 0, 0);
    drawing_ = std::make_unique<DrawingExecutor>(
        DrawingConfig{geometry.unit, geometry.unit, WorkFolders::In(config_.workDir).grafik,
                      geometry.scale},
        kPlayerFrameWorkFields);
    if (!HasScreenImages(*drawing_)) {
        // Out of memory even within the ranges: the window cannot open.
        prompts_.ShowInformation(
            texts_[txt::kErrorTitle],
            DescribeUnworkableSettings({UnworkableSetting{kBaseHightRange, settings_.baseHight}}));
        return false;
    }
    window_ = std::make_unique<ClientWindow>(settings_, keys_,
                                             texts_[txt::kProgramName] + " - " +
                                                 texts_[txt::kProgrammedBy] + " " +
                                                 texts_[txt::kAuthorCredit]);
    window_->ShowFrontImages(*drawing_->Image(0), *drawing_->Image(2));
    PlaceWindow();
    return true;
}

void ClientApp::PlaceWindow() {
    if (settings_.fullscreen == 1) {
        window_->showMaximized();
        return;
    }
    if (config_.windowPosition) {
        window_->move(*config_.windowPosition);
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        window_->move(available.center() - window_->rect().center());
    }
    window_->show();
}

std::string ClientApp::ServerAddress() const {
    return settings_.ip + ":" + std::to_string(settings_.port);
}

std::string ClientApp::RetryTitle() const {
    return texts_[txt::kNoConnectionTo] + " " + ServerAddress();
}

bool ClientApp::Connect() {
    for (;;) {
        window_->ShowText(TextField::Left, kConnectingColour, texts_[txt::kConnecting]);
        // Paint the status line before the connect blocks.
        QApplication::processEvents();
        socket_ = ConnectToServer(settings_.ip, settings_.port);
        if (socket_) {
            window_->ShowText(TextField::Left, kConnectedColour, texts_[txt::kConnected]);
            return true;
        }
        window_->ShowText(TextField::Left, kFailureColour, texts_[txt::kConnectFailed]);
        // A settings file that cannot be written leaves nothing to give up
        // to: try again as for Yes.
        if (!prompts_.AskYesNo(RetryTitle(), texts_[txt::kRetryQuestion]) &&
            RequestOptionsAtNextStart(config_.workDir)) {
            return false;
        }
    }
}

void ClientApp::StartNetwork() {
    // From here on the session and the drawing belong to the network thread;
    // what they show reaches the window queued.
    ClientWindow* window = window_.get();
    handOver_ = std::make_unique<PresentHandOver>(*drawing_, *window);
    session_ = std::make_unique<ClientSession>(
        *drawing_,
        [window](TextField field, protocol::Colour colour, std::string_view text) {
            window->PostText(field, colour, text);
        },
        [window, missing = texts_[txt::kPictureMissing] + " grafik/"](std::string_view name) {
            window->PostWarning(name.empty() ? std::string() : missing + std::string(name));
        });
    loop_ = std::make_unique<ClientNetworkLoop>(
        std::move(socket_), *session_, config_.hostName, window_->foreground(), &keys_,
        [this, window](NetworkOutcome outcome) {
            window->Post([this, outcome] { OnNetworkOutcome(outcome); });
        });
    loop_->SetAfterReply([handOver = handOver_.get()] { handOver->HandOver(); });
    loop_->Start();
}

void ClientApp::OnNetworkOutcome(NetworkOutcome outcome) {
    if (outcome == NetworkOutcome::Lost) {
        window_->ShowText(TextField::Left, kFailureColour, texts_[txt::kConnectionLost]);
        if (!config_.quietOnLoss) {
            prompts_.ShowInformation(texts_[txt::kConnectionLostTitle],
                                     texts_[txt::kConnectionToServer] + " (" + ServerAddress() +
                                         ") " + texts_[txt::kLostSuffix]);
        }
    } else {
        prompts_.ShowInformation(texts_[txt::kSendErrorTitle], texts_[txt::kSendErrorText]);
    }
    quit_();
}

void ClientApp::StopNetwork() {
    if (loop_) {
        loop_->Stop();
    }
}

int RunClient(ClientAppConfig config, OptionsPrompts& prompts) {
    ClientApp app(std::move(config), prompts, [] { QApplication::quit(); });
    if (!app.Open() || !app.Connect()) {
        return 0;
    }
    app.StartNetwork();
    QApplication::exec();
    app.StopNetwork();
    return 0;
}

}  // namespace quib::client
