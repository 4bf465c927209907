#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "server/core/server_state.h"
#include "server/core/texts.h"
#include "server/core/window/main_window.h"
#include "server/core/window/message_boxes.h"

namespace quib::server {

// The subject side of both seat panels: the selectors with their "create a
// subject" entry, the four statistics lines and the comment editors. The
// subject records themselves live in ServerState (the network thread adds
// each round to them); everything here runs on the main thread.
class SubjectPanel : public QObject {
    Q_OBJECT

  public:
    SubjectPanel(MainWindow& window, ServerState& state, const ServerTexts& texts, Dialogs& dialogs,
                 std::filesystem::path workDir);

    // Appends every subject file to both selectors; files that cannot be
    // read are reported, and listed all the same.
    void FillSelectors();

    // The experimenter chose an entry of a seat's selector: entry 1 creates a
    // subject first; then both seats are loaded again, so that the partner
    // counters and the same-subject warning follow the choice.
    void OnSelectorChosen(int seat);

    void CreateSubject(int seat);
    void LoadSubject(int seat);
    void ResetSubjectSeat(int seat);
    void SaveComment(int seat);

    // Rewrites both seats' statistics lines from their records.
    void ShowStatistics();

    std::int32_t SubjectNumber(int seat) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QComboBox* Selector(int seat) const;
    QPlainTextEdit* CommentEditor(int seat) const;
    void ShowLines(int seat);
    void ShowPlaceholder(int seat);
    SubjectRecord& Subject(int seat) { return state_.subjects[static_cast<std::size_t>(seat)]; }

    MainWindow& window_;
    ServerState& state_;
    const ServerTexts& texts_;
    Dialogs& dialogs_;
    std::filesystem::path workDir_;
    // Looked up once: the focus events may come while the window is torn down.
    std::array<QPointer<QPlainTextEdit>, 2> editors_;
};

}  // namespace quib::server
