#include "server/core/texts.h"

namespace quib::server {
namespace {

// The built-in German texts, Windows-1252, in key order: entry n is the
// default of key "txt<n>". They fill the table before a language file is
// read, stand in for keys a language file lacks, and make up the language
// file the server writes when its own does not exist.
// clang-format off
constexpr const char* kDefaults[kServerTextCount] = {
    "Hier kann man einen Kommentar \xFC" "ber den Probanten hinterlassen.",  // txt0
    "Kann Verzeichniss nicht erstellen:",  // txt1
    "Kann Netzwerk nicht initialisieren!",  // txt2
    "Fehler!",  // txt3
    "Kann Datei nicht lesen",  // txt4
    "Kann Datei nicht schreiben:",  // txt5
    "Spiel/Runde gespeichert:",  // txt6
    "(Neue Datei!)",  // txt7
    "(Vorhande Datei)",  // txt8
    "Fehler!!! Spiel konnte nicht gespeichert werden:",  // txt9
    "Fehler!!! Runde und Spiel konnte nicht gespeichert werden:",  // txt10
    "Tamoresk - Server - Programmiert von",  // txt11
    "Bitte warten ...",  // txt12
    "Spielername",  // txt13
    "Kommentar",  // txt14
    "Punkte",  // txt15
    "Punkte in Serie",  // txt16
    "Highscore",  // txt17
    "Rekord",  // txt18
    "Runden",  // txt19
    "Spielzeit",  // txt20
    "Gesamtspielzeit",  // txt21
    "> Es wurde zweimal der",  // txt22
    "selbe Spieler ausgew\xE4hlt!",  // txt23
    "Runden gegen akt. Mitspieler",  // txt24
    "in insgesamt",  // txt25
    "Std.",  // txt26
    "Min.",  // txt27
    "Sec.",  // txt28
    "Abbrechen",  // txt29
    "Soll diese Runde wirklich abgebrochen werden?",  // txt30
    "Spiel wurde abgebrochen!",  // txt31
    "Kann Server nicht initialisieren! (Ist der Port belegt?).",  // txt32
    "Spieler",  // txt33
    "Um neue Runde zu starten bitte Leertaste dr\xFC" "cken.",  // txt34
    "Spiel initialisiert ... warte auf Spieler.",  // txt35
    "Bitte auf Mitspieler warten.",  // txt36
    "Spiel l\xE4uft ...",  // txt37
    "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden.",  // txt38
    "Verloren",  // txt39
    "Gewonnen",  // txt40
    "Runde beendet ...",  // txt41
    "Verlauf:",  // txt42
    "Mit Leertaste neues Spiel starten ...",  // txt43
    "Spiel beendet!",  // txt44
    "Probanten ausw\xE4hlen ...",  // txt45
    "Neuen Probanten erstellen ...",  // txt46
    "Level:",  // txt47
    "Level ausw\xE4hlen ...",  // txt48
    "Level 1 - Farben",  // txt49
    "Level 2 - Farben & Formen",  // txt50
    "Level 3 - Farben, Formen & Position",  // txt51
    "Geschwindigkeit:",  // txt52
    "Geschwindigkeit ausw\xE4hlen ...",  // txt53
    "langsam",  // txt54
    "mittel",  // txt55
    "schnell",  // txt56
    "augenblicklich",  // txt57
    "Anzeige ausw\xE4hlen ...",  // txt58
    "verdeckt",  // txt59
    "offen",  // txt60
    "Figur:",  // txt61
    "Spieler 1",  // txt62
    "Spieler 2",  // txt63
    "<- Selbe",  // txt64
    "Zufall",  // txt65
    "Links Oben",  // txt66
    "Rechts Oben",  // txt67
    "Links Unten",  // txt68
    "Rechts Unten",  // txt69
    "Spiel starten",  // txt70
    "Spiel jetzt abbrechen",  // txt71
    "Punkte Reset",  // txt72
    "Rekord Reset",  // txt73
    "Statistik Reset",  // txt74
    "Zeit",  // txt75
    "Aktuell:",  // txt76
    "Letzte:",  // txt77
    "Gesamt:",  // txt78
    "Level 1:",  // txt79
    "Level 2:",  // txt80
    "Level 3:",  // txt81
    "Spiel nach Runde beenden",  // txt82
    "Spiel nach Runde fortsetzen",  // txt83
    "Gesamt",  // txt84
    "Neuen Probanten anlegen:",  // txt85
    "Bitte Namen/Synonym eingeben:",  // txt86
    "Level 4 - Formen",  // txt87
    "Level 5 - Position",  // txt88
    "Level 6 - Formen und Position",  // txt89
    "Achtung!",  // txt90
    "Spiel l\xE4uft noch, soll wirklich beendet werden?",  // txt91
    "unbekannt",  // txt92
    "rot",  // txt93
    "gelb",  // txt94
    "gr\xFCn",  // txt95
    "blau",  // txt96
    "nix",  // txt97
    "K",  // txt98
    "D",  // txt99
    "Q",  // txt100
    "P",  // txt101
    "Kreis",  // txt102
    "Dreieck",  // txt103
    "Quadrat",  // txt104
    "Pentagon",  // txt105
    "Spielprotokoll",  // txt106
    "(Verweisend)",  // txt107
    "Spiel:",  // txt108
    "Datei:",  // txt109
    "Startzeit:",  // txt110
    "Spieler",  // txt111
    "Nummer:",  // txt112
    "Einstellungen",  // txt113
    "Level:",  // txt114
    "Figur:",  // txt115
    "Anzeige:",  // txt116
    "Geschwindigkeit:",  // txt117
    "Startposition:",  // txt118
    "Punkte:",  // txt119
    "Runden:",  // txt120
    "Spielzeit:",  // txt121
    "davon aktiv:",  // txt122
    "Zeit (ms)",  // txt123
    "Zeit",  // txt124
    "Dauer (ms)",  // txt125
    "Dauer",  // txt126
    "Runde",  // txt127
    "Rundenname",  // txt128
    "Gewonnen",  // txt129
    "Punkte",  // txt130
    "Serie",  // txt131
    "Start Spieler",  // txt132
    "Ende Spieler",  // txt133
    "Z\xFCge Spieler",  // txt134
    "Rundenzeit (ms)",  // txt135
    "Art",  // txt136
    "Information",  // txt137
    "Start",  // txt138
    "Zug",  // txt139
    "Rundenzeit",  // txt140
    "vorherige Runde erfolgreich?",  // txt141
    "Punkte in Folge",  // txt142
    "Position Spieler",  // txt143
    "M\xF6gliche Zielstimuli",  // txt144
    "Gesamt",  // txt145
    "Spielernr.",  // txt146
    "Spielername",  // txt147
    "Kommentar",  // txt148
    "Erstellt",  // txt149
    "Runden",  // txt150
    "Spielzeit",  // txt151
    "Spieldatei",  // txt152
    "Gegner",  // txt153
    "Highscore",  // txt154
    "Level",  // txt155
    "Anzeige",  // txt156
    "Leertaste",  // txt157
    "Links",  // txt158
    "Rechts",  // txt159
    "Hoch",  // txt160
    "Runter",  // txt161
    "Rundenprotokoll",  // txt162
    "Runde:",  // txt163
    "Spieldauer:",  // txt164
    "Endposition:",  // txt165
    "Nicht Kontakt",  // txt166
    "Kontakt",  // txt167
    "N",  // txt168
    "K",  // txt169
    "dem quib-Team",  // txt170: the author credit of the window title
    "Aufbau der Datei nicht erkannt, Datei bleibt unver\xE4ndert:",  // txt171: a subject file left alone
    "quib - ein Koordinationsspiel f\xFCr zwei Personen, die nicht miteinander sprechen k\xF6nnen.",  // txt172: the credits box
    "Programmiert von",  // txt173: the credits box, before txt170
    "Bild fehlt auf dem Rechner des Spielers:",  // txt174: a seat whose pictures did not load
    "Keine verwendbaren Figurenbilder, das Spiel kann nicht starten. Figurenbilder sind PNG-Dateien (h\xF6" "chstens 2048 Pixel je Seite, Name nicht auf 1 endend) im Ordner",  // txt175
    "Unfertiger Schreibvorgang nicht ausgef\xFChrt, keine Protokolldatei dieses Ordners:",  // txt176: a journal entry refused at start-up
    "Keine gew\xF6hnliche Datei (Verkn\xFCpfung?), wird nicht beschrieben:",  // txt177: a record file that is a link
    "Dateiname l\xE4nger als 100 Bytes, die Spieler k\xF6nnen das Bild nicht laden",  // txt178: a figure list entry
    "Bild kann nicht geladen werden (kein lesbares PNG oder gr\xF6\xDF" "er als 2048 Pixel je Seite)",  // txt179: a figure list entry
    "Noch nicht gespeicherte Runden:",  // txt180: followed by their number
    "Ihre Dateien konnten nicht geschrieben werden (volle Festplatte?). Erneut versuchen, in einen anderen, leeren Ordner schreiben oder verwerfen?",  // txt181
    "Erneut versuchen",  // txt182
    "In anderen Ordner schreiben ...",  // txt183
    "Verwerfen",  // txt184
    "Leeren Ordner f\xFC" "r die Runden w\xE4hlen",  // txt185
    "Der Ordner ist nicht leer:",  // txt186: followed by the folder
    "Nicht gespeicherte Runden verworfen:",  // txt187: followed by their number
    "Runden geschrieben in",  // txt188: followed by the folder
    "Keine g\xFCltige Laborkennung, Datei bleibt unver\xE4ndert, die Sitzungsdatei nennt kein Labor:",  // txt189
    "Sitzungsdatei kann nicht geschrieben werden (volle Festplatte?), ihre Zeilen werden aufbewahrt und mit der n\xE4" "chsten erneut versucht:",  // txt190
    "Zu viele ungeschriebene Zeilen, weitere Zeilen gehen verloren:",  // txt191: followed by the session file
    "Sitzungsdatei wieder geschrieben, verlorene Zeilen:",  // txt192: followed by their number
    "Abgeschnittene letzte Zeile entfernt (Server nicht ordentlich beendet):",  // txt193: followed by the session file
};
// clang-format on
static_assert(txt::kSessionLineRepaired == kServerTextCount - 1, "text_ids.h names every text");

}  // namespace

ServerTexts::ServerTexts() : LanguageTexts(kDefaults, kServerTextSlots) {}

std::string_view ServerTexts::Default(int n) {
    return DefaultIn(kDefaults, n);
}

}  // namespace quib::server
