#include "client/client_settings.h"

#include "prefs/preferences.h"

namespace quib::client {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWindowGroup = "Window";
constexpr const char* kNetworkGroup = "Network";
constexpr const char* kOtherGroup = "Sonstiges";

}  // namespace

ClientSettings LoadClientSettings(const fs::path& workDir) {
    ClientSettings settings;
    Preferences file;
    file.Open(workDir / kClientSettingsFile);  // a missing file leaves the defaults
    file.SelectGroup(kWindowGroup);
    settings.fullscreen = file.ReadInt("Fullscreen", settings.fullscreen);
    settings.baseHight = file.ReadInt("baseHight", settings.baseHight);
    settings.baseFontSize = file.ReadInt("baseFontSize", settings.baseFontSize);
    file.SelectGroup(kNetworkGroup);
    settings.ip = file.ReadText("IP", settings.ip);
    settings.port = file.ReadInt("Port", settings.port);
    file.SelectGroup(kOtherGroup);
    settings.askOptions = file.ReadInt("askOptions", settings.askOptions);
    settings.language = file.ReadText("Language", settings.language);
    file.Close();
    return settings;
}

bool SaveClientSettings(const fs::path& workDir, const ClientSettings& settings) {
    Preferences file;
    if (!file.Create(workDir / kClientSettingsFile)) {
        return false;
    }
    file.SelectGroup(kWindowGroup);
    file.WriteInt("Fullscreen", settings.fullscreen);
    file.WriteInt("baseHight", settings.baseHight);
    file.WriteInt("baseFontSize", settings.baseFontSize);
    file.SelectGroup(kNetworkGroup);
    file.WriteText("IP", settings.ip);
    file.WriteInt("Port", settings.port);
    file.SelectGroup(kOtherGroup);
    file.WriteInt("askOptions", settings.askOptions);
    file.WriteText("Language", settings.language);
    return file.Close();  // the replacement happens here and may still fail
}

bool RequestOptionsAtNextStart(const fs::path& workDir) {
    Preferences file;
    // Open fails for a missing file, but the write below is then saved into a
    // new one at Close: without it a player who gives up would be asked to
    // retry for ever.
    file.Open(workDir / kClientSettingsFile);
    file.SelectGroup(kOtherGroup);
    file.WriteInt("askOptions", 1);
    return file.Close();
}

}  // namespace quib::client
