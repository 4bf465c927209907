#pragma once

// The numbers of the player's program's language texts (key "txt<n>" of its
// language files), named after what the text says or is for, each with its
// German text. Texts are always taken by these names: texts[txt::kConnecting].

namespace quib::client::txt {

inline constexpr int kProgramName = 0;      // "Tamoresk"
inline constexpr int kProgrammedBy = 1;     // "Programmiert von"
inline constexpr int kFullscreenTitle = 2;  // "Optionen: Fullscreen"
// "Soll das Programm über den gesamten Bildschrim dargestellt werden?"
inline constexpr int kFullscreenQuestion = 3;
inline constexpr int kAddressTitle = 4;  // "Optionen: IP-Adresse"
// "Geben Sie bitte die IP des Servers ein: (z.B. 127.0.0.1)"
inline constexpr int kAddressPrompt = 5;
inline constexpr int kAskAlwaysTitle = 6;  // "Optionen: Immer Fragen?"
// "Soll bei jeden Start die Optionen aufgerufen werden?"
inline constexpr int kAskAlwaysQuestion = 7;
inline constexpr int kErrorTitle = 8;          // "Fehler!"
inline constexpr int kCannotSaveSettings = 9;  // "Konnte Einstellungen nicht speichern!"
// "Verbindung zum Server wird hergestellt. Bitte warten ..."
inline constexpr int kConnecting = 10;
inline constexpr int kConnectFailed = 11;   // "Verbindung zum Server fehlgeschlagen!"
inline constexpr int kNoConnectionTo = 12;  // "Keine Verbindung zu"
// "Soll erneut versucht werden eine Verbindung aufzubauen?"
inline constexpr int kRetryQuestion = 13;
inline constexpr int kConnected = 14;       // "Verbindung zum Server hergestellt. Bitte warten ..."
inline constexpr int kConnectionLost = 15;  // "Verbindung zum Server verloren!"
inline constexpr int kConnectionLostTitle = 16;  // "Fehler! Verbindung zum Server verloren!"
inline constexpr int kConnectionToServer = 17;   // "Verbindung zu Server"
inline constexpr int kLostSuffix = 18;           // "verloren!"
inline constexpr int kSendErrorTitle = 19;       // "Fehler beim Senden!"
// "Beim Senden des Ausgabepuffers über die Verbindung wurde eine andere Anzahl Bytes gesendet, als
// der Puffer lang ist!"
inline constexpr int kSendErrorText = 20;
inline constexpr int kAuthorCredit = 21;  // "dem quib-Team"
// "Bild fehlt:", followed by " grafik/" and the picture's name: the server
// asked for a figure picture this computer does not have.
inline constexpr int kPictureMissing = 22;

}  // namespace quib::client::txt
