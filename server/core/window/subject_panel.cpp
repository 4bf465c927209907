#include "server/core/window/subject_panel.h"

#include <QEvent>
#include <mutex>

#include "server/core/time_format.h"
#include "server/core/window/qt_text.h"
#include "server/records/subject_file.h"

namespace quib::server {

namespace {

// The editor works with "\n"; the subject file keeps comments with CR LF.
QString CommentForEditor(const std::string& comment) {
    QString text = ToQt(comment);
    text.replace("\r\n", "\n");
    return text;
}

bool IsBlankComment(const QString& text) {
    QString rest = text;
    rest.remove('\r').remove('\n');
    return rest.trimmed().isEmpty();
}

}  // namespace

SubjectPanel::SubjectPanel(MainWindow& window, ServerState& state, const ServerTexts& texts,
                           Dialogs& dialogs, std::filesystem::path workDir)
    : window_(window),
      state_(state),
      texts_(texts),
      dialogs_(dialogs),
      workDir_(std::move(workDir)) {
    for (int seat = 0; seat < 2; ++seat) {
        editors_[static_cast<std::size_t>(seat)] =
            window_.Editor(control::Seat(seat, control::kComment));
        CommentEditor(seat)->installEventFilter(this);
    }
}

QComboBox* SubjectPanel::Selector(int seat) const {
    return window_.List(control::Seat(seat, control::kSubjectSelector));
}

QPlainTextEdit* SubjectPanel::CommentEditor(int seat) const {
    return editors_[static_cast<std::size_t>(seat)];
}

std::int32_t SubjectPanel::SubjectNumber(int seat) const {
    return state_.subjects[static_cast<std::size_t>(seat)].subjectNumber;
}

void SubjectPanel::FillSelectors() {
    const SubjectList list = ListSubjects(workDir_, texts_);
    for (const SubjectListProblem& problem : list.problems) {
        dialogs_.ShowMessage(texts_[txt::kErrorTitle], problem.boxText);
    }
    for (const std::string& entry : list.entries) {
        for (int seat = 0; seat < 2; ++seat) {
            Selector(seat)->addItem(ToQt(entry));
        }
    }
}

void SubjectPanel::OnSelectorChosen(int seat) {
    if (Selector(seat)->currentIndex() == 1) {
        CreateSubject(seat);
    }
    LoadSubject(seat);
    LoadSubject(1 - seat);
}

void SubjectPanel::CreateSubject(int seat) {
    QComboBox* selector = Selector(seat);
    if (dialogs_.BoxOpen()) {
        // Only one box at a time: the name is asked for when chosen again.
        selector->setCurrentIndex(0);
        return;
    }
    const NewSubjectPlan plan = PlanNewSubject(workDir_, texts_);
    if (!plan.errorText.empty()) {
        dialogs_.ShowMessage(texts_[txt::kErrorTitle], plan.errorText);
        selector->setCurrentIndex(0);
        return;
    }
    const std::string name =
        dialogs_.AskText(plan.boxTitle, texts_[txt::kEnterName], "").value_or("");
    const CreateSubjectResult created =
        CreateSubjectFile(workDir_, texts_, plan.number, name, CurrentLocalTime());
    switch (created.status) {
        case CreateSubjectStatus::NoName:
            selector->setCurrentIndex(0);
            return;
        case CreateSubjectStatus::Failed:
            dialogs_.ShowMessage(texts_[txt::kErrorTitle], created.errorText);
            selector->setCurrentIndex(0);
            return;
        case CreateSubjectStatus::Created:
            for (int s = 0; s < 2; ++s) {
                Selector(s)->addItem(ToQt(created.entry));
            }
            selector->setCurrentIndex(selector->count() - 1);
            return;
    }
}

void SubjectPanel::LoadSubject(int seat) {
    ResetSubjectSeat(seat);
    QComboBox* selector = Selector(seat);
    if (selector->currentIndex() >= 2) {
        const std::string otherFile = Subject(1 - seat).subjectFile;
        const SubjectReadResult read =
            ReadSubjectFile(workDir_, FromQt(selector->currentText()), otherFile, texts_);
        if (read.ok) {
            std::lock_guard guard(state_.lock);
            Subject(seat) = read.record;
        } else {
            if (!read.logText.empty()) {
                PostLogMessage(state_, read.logText);
            }
            dialogs_.ShowMessage(texts_[txt::kErrorTitle], read.errorText);
            ResetSubjectSeat(seat);
            selector->setCurrentIndex(0);
        }
    }
    ShowLines(seat);
    const std::string& comment = Subject(seat).comment;
    if (!IsBlankComment(ToQt(comment))) {
        CommentEditor(seat)->setPlainText(CommentForEditor(comment));
        state_.commentShown[static_cast<std::size_t>(seat)] =
            FromQt(CommentEditor(seat)->toPlainText());
    } else {
        ShowPlaceholder(seat);
        state_.commentShown[static_cast<std::size_t>(seat)].clear();
    }
}

void SubjectPanel::ResetSubjectSeat(int seat) {
    {
        std::lock_guard guard(state_.lock);
        Subject(seat) = SubjectRecord{};
    }
    ShowLines(seat);
    ShowPlaceholder(seat);
}

void SubjectPanel::SaveComment(int seat) {
    QPlainTextEdit* editor = CommentEditor(seat);
    if (FromQt(editor->toPlainText()) == state_.commentPlaceholder) {
        editor->clear();
    }
    const std::string text = FromQt(editor->toPlainText());
    std::string& shown = state_.commentShown[static_cast<std::size_t>(seat)];
    if (text != shown) {
        SaveCommentResult saved;
        {
            // The network thread rewrites the same file after each round.
            std::lock_guard guard(state_.lock);
            saved = SaveCommentToFile(Subject(seat).subjectFile, text, texts_);
            if (saved.status == SaveCommentStatus::Saved) {
                Subject(seat).comment = text;
            }
        }
        if (saved.status == SaveCommentStatus::Failed) {
            if (!saved.logText.empty()) {
                PostLogMessage(state_, saved.logText);
            }
            dialogs_.ShowMessage(texts_[txt::kErrorTitle], saved.errorText);
        }
        shown = text;
    }
    if (IsBlankComment(editor->toPlainText())) {
        ShowPlaceholder(seat);
    }
}

void SubjectPanel::ShowStatistics() {
    for (int seat = 0; seat < 2; ++seat) {
        ShowLines(seat);
    }
}

void SubjectPanel::ShowLines(int seat) {
    SubjectStatistics lines;
    {
        std::lock_guard guard(state_.lock);
        lines = SubjectStatisticsLines(Subject(seat), Subject(1 - seat), texts_);
    }
    for (int i = 0; i < 4; ++i) {
        window_.Label(control::Seat(seat, control::kSubjectPoints + i))
            ->setText(ToQt(lines[static_cast<std::size_t>(i)]));
    }
}

void SubjectPanel::ShowPlaceholder(int seat) {
    CommentEditor(seat)->setPlainText(ToQt(state_.commentPlaceholder));
}

bool SubjectPanel::eventFilter(QObject* watched, QEvent* event) {
    for (int seat = 0; seat < 2; ++seat) {
        if (watched == nullptr || watched != CommentEditor(seat)) {
            continue;
        }
        if (event->type() == QEvent::FocusIn &&
            FromQt(CommentEditor(seat)->toPlainText()) == state_.commentPlaceholder) {
            CommentEditor(seat)->clear();
        } else if (event->type() == QEvent::FocusOut) {
            SaveComment(seat);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quib::server
