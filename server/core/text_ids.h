#pragma once

// The numbers of the server's language texts (key "txt<n>" of its language
// files), named after what the text says or is for, each with its German
// text. Texts are always taken by these names: texts[txt::kPleaseWait].

namespace quib::server::txt {

// "Hier kann man einen Kommentar über den Probanten hinterlassen."
inline constexpr int kCommentPlaceholder = 0;
inline constexpr int kCannotCreateFolder = 1;  // "Kann Verzeichniss nicht erstellen:"
inline constexpr int kCannotStartNetwork = 2;  // "Kann Netzwerk nicht initialisieren!"
inline constexpr int kErrorTitle = 3;          // "Fehler!"
inline constexpr int kCannotReadFile = 4;      // "Kann Datei nicht lesen"
inline constexpr int kCannotWriteFile = 5;     // "Kann Datei nicht schreiben:"
inline constexpr int kSaved = 6;               // "Spiel/Runde gespeichert:"
inline constexpr int kNewFile = 7;             // "(Neue Datei!)"
inline constexpr int kExistingFile = 8;        // "(Vorhande Datei)"
inline constexpr int kGameNotSaved = 9;        // "Fehler!!! Spiel konnte nicht gespeichert werden:"
// "Fehler!!! Runde und Spiel konnte nicht gespeichert werden:"
inline constexpr int kRoundAndGameNotSaved = 10;
inline constexpr int kTitleProgrammedBy = 11;      // "Tamoresk - Server - Programmiert von"
inline constexpr int kPleaseWait = 12;             // "Bitte warten ..."
inline constexpr int kPlayerName = 13;             // "Spielername"
inline constexpr int kComment = 14;                // "Kommentar"
inline constexpr int kPoints = 15;                 // "Punkte"
inline constexpr int kPointsInSeries = 16;         // "Punkte in Serie"
inline constexpr int kHighscore = 17;              // "Highscore"
inline constexpr int kRecord = 18;                 // "Rekord"
inline constexpr int kRounds = 19;                 // "Runden"
inline constexpr int kPlayTime = 20;               // "Spielzeit"
inline constexpr int kTotalPlayTime = 21;          // "Gesamtspielzeit"
inline constexpr int kSameSubjectTwiceStart = 22;  // "> Es wurde zweimal der"
inline constexpr int kSameSubjectTwiceEnd = 23;    // "selbe Spieler ausgewählt!"
inline constexpr int kRoundsWithPartner = 24;      // "Runden gegen akt. Mitspieler"
inline constexpr int kInAllOf = 25;                // "in insgesamt"
inline constexpr int kHoursUnit = 26;              // "Std."
inline constexpr int kMinutesUnit = 27;            // "Min."
inline constexpr int kSecondsUnit = 28;            // "Sec."
inline constexpr int kAbort = 29;                  // "Abbrechen"
inline constexpr int kAbortRoundQuestion = 30;  // "Soll diese Runde wirklich abgebrochen werden?"
inline constexpr int kGameAborted = 31;         // "Spiel wurde abgebrochen!"
// "Kann Server nicht initialisieren! (Ist der Port belegt?)."
inline constexpr int kCannotStartServer = 32;
inline constexpr int kPlayer = 33;  // "Spieler"
// "Um neue Runde zu starten bitte Leertaste drücken."
inline constexpr int kPressSpaceToStart = 34;
inline constexpr int kGameSetUp = 35;       // "Spiel initialisiert ... warte auf Spieler."
inline constexpr int kWaitForPartner = 36;  // "Bitte auf Mitspieler warten."
inline constexpr int kGameRunning = 37;     // "Spiel läuft ..."
// "Mit Pfeiltasten die Figur bewegen. Mit Leertaste die Runde beenden."
inline constexpr int kMoveWithArrows = 38;
inline constexpr int kLost = 39;                    // "Verloren"
inline constexpr int kWon = 40;                     // "Gewonnen"
inline constexpr int kRoundEnded = 41;              // "Runde beendet ..."
inline constexpr int kLogHeading = 42;              // "Verlauf:"
inline constexpr int kSpaceForNextGame = 43;        // "Mit Leertaste neues Spiel starten ..."
inline constexpr int kGameOver = 44;                // "Spiel beendet!"
inline constexpr int kChooseSubject = 45;           // "Probanten auswählen ..."
inline constexpr int kCreateSubject = 46;           // "Neuen Probanten erstellen ..."
inline constexpr int kLevelLabel = 47;              // "Level:"
inline constexpr int kChooseLevel = 48;             // "Level auswählen ..."
inline constexpr int kLevel1 = 49;                  // "Level 1 - Farben"
inline constexpr int kLevel2 = 50;                  // "Level 2 - Farben & Formen"
inline constexpr int kLevel3 = 51;                  // "Level 3 - Farben, Formen & Position"
inline constexpr int kSpeedLabel = 52;              // "Geschwindigkeit:"
inline constexpr int kChooseSpeed = 53;             // "Geschwindigkeit auswählen ..."
inline constexpr int kSpeedSlow = 54;               // "langsam"
inline constexpr int kSpeedMedium = 55;             // "mittel"
inline constexpr int kSpeedFast = 56;               // "schnell"
inline constexpr int kSpeedInstant = 57;            // "augenblicklich"
inline constexpr int kChooseDisplay = 58;           // "Anzeige auswählen ..."
inline constexpr int kDisplayCovered = 59;          // "verdeckt"
inline constexpr int kDisplayOpen = 60;             // "offen"
inline constexpr int kFigureLabel = 61;             // "Figur:"
inline constexpr int kPlayer1 = 62;                 // "Spieler 1"
inline constexpr int kPlayer2 = 63;                 // "Spieler 2"
inline constexpr int kSameAsPlayer1 = 64;           // "<- Selbe"
inline constexpr int kRandom = 65;                  // "Zufall"
inline constexpr int kTopLeft = 66;                 // "Links Oben"
inline constexpr int kTopRight = 67;                // "Rechts Oben"
inline constexpr int kBottomLeft = 68;              // "Links Unten"
inline constexpr int kBottomRight = 69;             // "Rechts Unten"
inline constexpr int kStartGame = 70;               // "Spiel starten"
inline constexpr int kAbortGameNow = 71;            // "Spiel jetzt abbrechen"
inline constexpr int kResetPoints = 72;             // "Punkte Reset"
inline constexpr int kResetRecord = 73;             // "Rekord Reset"
inline constexpr int kResetStatistics = 74;         // "Statistik Reset"
inline constexpr int kTimeTitle = 75;               // "Zeit"
inline constexpr int kCurrentRow = 76;              // "Aktuell:"
inline constexpr int kLastRow = 77;                 // "Letzte:"
inline constexpr int kTotalRow = 78;                // "Gesamt:"
inline constexpr int kLevel1Row = 79;               // "Level 1:"
inline constexpr int kLevel2Row = 80;               // "Level 2:"
inline constexpr int kLevel3Row = 81;               // "Level 3:"
inline constexpr int kEndGameAfterRound = 82;       // "Spiel nach Runde beenden"
inline constexpr int kContinueGameAfterRound = 83;  // "Spiel nach Runde fortsetzen"
inline constexpr int kTotal = 84;                   // "Gesamt"
inline constexpr int kNewSubjectTitle = 85;         // "Neuen Probanten anlegen:"
inline constexpr int kEnterName = 86;               // "Bitte Namen/Synonym eingeben:"
inline constexpr int kLevel4 = 87;                  // "Level 4 - Formen"
inline constexpr int kLevel5 = 88;                  // "Level 5 - Position"
inline constexpr int kLevel6 = 89;                  // "Level 6 - Formen und Position"
inline constexpr int kAttention = 90;               // "Achtung!"
inline constexpr int kQuitWhileRunning = 91;  // "Spiel läuft noch, soll wirklich beendet werden?"
inline constexpr int kUnknown = 92;           // "unbekannt"
inline constexpr int kRed = 93;               // "rot"
inline constexpr int kYellow = 94;            // "gelb"
inline constexpr int kGreen = 95;             // "grün"
inline constexpr int kBlue = 96;              // "blau"
inline constexpr int kNoColour = 97;          // "nix"
inline constexpr int kCircleLetter = 98;      // "K"
inline constexpr int kTriangleLetter = 99;    // "D"
inline constexpr int kSquareLetter = 100;     // "Q"
inline constexpr int kPentagonLetter = 101;   // "P"
inline constexpr int kCircle = 102;           // "Kreis"
inline constexpr int kTriangle = 103;         // "Dreieck"
inline constexpr int kSquare = 104;           // "Quadrat"
inline constexpr int kPentagon = 105;         // "Pentagon"
inline constexpr int kGameProtocol = 106;     // "Spielprotokoll"
inline constexpr int kReferring = 107;        // "(Verweisend)"
inline constexpr int kGameField = 108;        // "Spiel:"
inline constexpr int kFileField = 109;        // "Datei:"
inline constexpr int kStartTimeField = 110;   // "Startzeit:"
inline constexpr int kPlayerField = 111;      // "Spieler"
inline constexpr int kNumberField = 112;      // "Nummer:"
inline constexpr int kSettingsField = 113;    // "Einstellungen"
inline constexpr int kLevelField = 114;       // "Level:"
inline constexpr int kFigureField = 115;      // "Figur:"
inline constexpr int kDisplayField = 116;     // "Anzeige:"
inline constexpr int kSpeedField = 117;       // "Geschwindigkeit:"
inline constexpr int kStartPositionField = 118;      // "Startposition:"
inline constexpr int kPointsField = 119;             // "Punkte:"
inline constexpr int kRoundsField = 120;             // "Runden:"
inline constexpr int kPlayTimeField = 121;           // "Spielzeit:"
inline constexpr int kActiveTimeField = 122;         // "davon aktiv:"
inline constexpr int kTimeMsColumn = 123;            // "Zeit (ms)"
inline constexpr int kTimeColumn = 124;              // "Zeit"
inline constexpr int kDurationMsColumn = 125;        // "Dauer (ms)"
inline constexpr int kDurationColumn = 126;          // "Dauer"
inline constexpr int kRoundColumn = 127;             // "Runde"
inline constexpr int kRoundNameColumn = 128;         // "Rundenname"
inline constexpr int kFileWon = 129;                 // "Gewonnen"
inline constexpr int kFilePoints = 130;              // "Punkte"
inline constexpr int kSeriesColumn = 131;            // "Serie"
inline constexpr int kStartPlayerColumn = 132;       // "Start Spieler"
inline constexpr int kEndPlayerColumn = 133;         // "Ende Spieler"
inline constexpr int kMovesPlayerColumn = 134;       // "Züge Spieler"
inline constexpr int kRoundTimeMsColumn = 135;       // "Rundenzeit (ms)"
inline constexpr int kKindColumn = 136;              // "Art"
inline constexpr int kInformationColumn = 137;       // "Information"
inline constexpr int kStartEvent = 138;              // "Start"
inline constexpr int kMoveColumn = 139;              // "Zug"
inline constexpr int kRoundTimeColumn = 140;         // "Rundenzeit"
inline constexpr int kPreviousRoundWonColumn = 141;  // "vorherige Runde erfolgreich?"
inline constexpr int kPointsInARowColumn = 142;      // "Punkte in Folge"
inline constexpr int kPositionPlayerColumn = 143;    // "Position Spieler"
inline constexpr int kPossibleTargetsColumn = 144;   // "Mögliche Zielstimuli"
inline constexpr int kSubjectTotal = 145;            // "Gesamt"
inline constexpr int kSubjectNumberField = 146;      // "Spielernr."
inline constexpr int kSubjectNameField = 147;        // "Spielername"
inline constexpr int kSubjectCommentField = 148;     // "Kommentar"
inline constexpr int kSubjectCreatedField = 149;     // "Erstellt"
inline constexpr int kSubjectRoundsField = 150;      // "Runden"
inline constexpr int kSubjectPlayTimeField = 151;    // "Spielzeit"
inline constexpr int kGameFileColumn = 152;          // "Spieldatei"
inline constexpr int kOpponentColumn = 153;          // "Gegner"
inline constexpr int kFileHighscore = 154;           // "Highscore"
inline constexpr int kLevelColumn = 155;             // "Level"
inline constexpr int kDisplayColumn = 156;           // "Anzeige"
inline constexpr int kSpaceKey = 157;                // "Leertaste"
inline constexpr int kLeftKey = 158;                 // "Links"
inline constexpr int kRightKey = 159;                // "Rechts"
inline constexpr int kUpKey = 160;                   // "Hoch"
inline constexpr int kDownKey = 161;                 // "Runter"
inline constexpr int kRoundProtocol = 162;           // "Rundenprotokoll"
inline constexpr int kRoundField = 163;              // "Runde:"
inline constexpr int kRoundDurationField = 164;      // "Spieldauer:"
inline constexpr int kEndPositionField = 165;        // "Endposition:"
inline constexpr int kNoContact = 166;               // "Nicht Kontakt"
inline constexpr int kContact = 167;                 // "Kontakt"
inline constexpr int kApartMark = 168;               // "N"
inline constexpr int kTouchingMark = 169;            // "K"
inline constexpr int kAuthorCredit = 170;            // "dem quib-Team"
// "Aufbau der Datei nicht erkannt, Datei bleibt unverändert:", followed by
// " " and the path: a subject file whose lines the program cannot find
inline constexpr int kFileLayoutUnknown = 171;
// The credits box at the end: "quib - ein Koordinationsspiel ..." on its
// first line, then "Programmiert von", the author credit and ".".
inline constexpr int kCreditsGame = 172;
inline constexpr int kCreditsProgrammedBy = 173;  // "Programmiert von"
// "Bild fehlt auf dem Rechner des Spielers:", followed by the picture names
// of the frame the player's program could not draw: beside the seat's
// mirror and, after "Spieler n: ", in the log.
inline constexpr int kPictureMissingAtPlayer = 174;
// "Keine verwendbaren Figurenbilder, das Spiel kann nicht starten. ...",
// followed by " " and the folder: no figure list offers a picture that loads.
inline constexpr int kNoUsableFigures = 175;
// The question when the program is to end while rounds are not saved:
// "Noch nicht gespeicherte Runden:" and their number, a line break, then
// "Ihre Dateien konnten nicht geschrieben werden ...", with the choices
// "Erneut versuchen", "In anderen Ordner schreiben ..." and "Verwerfen".
inline constexpr int kUnsavedRounds = 180;
inline constexpr int kUnsavedRoundsQuestion = 181;
inline constexpr int kTryAgain = 182;
inline constexpr int kWriteElsewhere = 183;
inline constexpr int kDiscard = 184;
// The title of the folder chooser for them, "Leeren Ordner ... wählen".
inline constexpr int kChooseFolderForRounds = 185;
// "Der Ordner ist nicht leer:", followed by the folder chosen.
inline constexpr int kFolderNotEmpty = 186;
// Log lines: "Nicht gespeicherte Runden verworfen:" and their number;
// "Runden geschrieben in" and the folder.
inline constexpr int kRoundsDiscarded = 187;
inline constexpr int kRoundsWrittenElsewhere = 188;
// Log lines of the session file, each followed by " " and the file (or, for
// the lost lines, their number): lab_id.txt holds no valid identity and is
// left as it is; the session file cannot be written, its lines are kept;
// too many lines wait, newer ones are dropped; writing works again, so many
// lines were dropped; a last line cut short by a crash was removed.
inline constexpr int kLabIdUnusable = 189;
inline constexpr int kSessionNotWritten = 190;
inline constexpr int kSessionLinesDropped = 191;
inline constexpr int kSessionLinesLost = 192;
inline constexpr int kSessionLineRepaired = 193;

// "Unfertiger Schreibvorgang nicht ausgeführt, keine Protokolldatei dieses
// Ordners:", followed by " " and the entry as the journal has it (made one
// safe line): start-up refused to act on a journal entry.
inline constexpr int kJournalEntryRefused = 176;
// "Keine gewöhnliche Datei (Verknüpfung?), wird nicht beschrieben:",
// followed by " " and the path: a record file's name taken by a link or
// anything else that is not a regular file.
inline constexpr int kNotARegularFile = 177;
// The reasons a figure list shows a picture as unusable, in its tool tip:
// a name the players' programs cannot be sent, and a picture that does not
// load.
inline constexpr int kPictureNameTooLong = 178;
inline constexpr int kPictureNotLoadable = 179;

}  // namespace quib::server::txt
