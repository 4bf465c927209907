#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "protocol/server_port.h"

namespace quib::client {

// The settings file in the working directory and the language file a fresh
// installation uses.
inline constexpr const char* kClientSettingsFile = "quib_client.prefs";
inline constexpr const char* kDefaultClientLanguageFile = "quib_client_de.lang";

// The player's program settings; each field bears the name of its key in
// quib_client.prefs. Texts are Windows-1252.
struct ClientSettings {
    std::int32_t fullscreen = 0;                // "Window" / "Fullscreen": 1 opens maximised
    std::int32_t baseHight = 450;               // "Window" / "baseHight": inner height, pixels
    std::int32_t baseFontSize = 12;             // "Window" / "baseFontSize": points
    std::string ip = "127.000.000.001";         // "Network" / "IP": dotted decimal or host name
    std::int32_t port = protocol::kServerPort;  // "Network" / "Port"
    std::int32_t askOptions = 1;  // "Sonstiges" / "askOptions": 1 runs the options dialog
    std::string language = kDefaultClientLanguageFile;  // "Sonstiges" / "Language"
};

// The defaults, overlaid by every key quib_client.prefs in `workDir` holds. A
// missing file or key keeps the default; a non-numeric integer reads as 0.
ClientSettings LoadClientSettings(const std::filesystem::path& workDir);

// Writes quib_client.prefs in `workDir` anew as the options dialog does:
// [Window] Fullscreen, baseHight, baseFontSize; [Network] IP, Port;
// [Sonstiges] askOptions, Language. False when the file cannot be created or
// written; the caller reports that, the settings stay in force.
bool SaveClientSettings(const std::filesystem::path& workDir, const ClientSettings& settings);

// The player gave up connecting: sets askOptions = 1 in quib_client.prefs so
// the next start offers the dialog, where another server address can be
// typed. Every other line of an existing file is kept; a missing file is
// created holding just that key, so that giving up always works. False when
// the file could not be written.
bool RequestOptionsAtNextStart(const std::filesystem::path& workDir);

}  // namespace quib::client
