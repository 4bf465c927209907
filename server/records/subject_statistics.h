#pragma once

#include <array>
#include <string>

#include "server/core/subject_record.h"
#include "server/core/texts.h"

namespace quib::server {

// The four statistics lines under a seat's subject selector: points and
// record, total play time, rounds with the current partner, time with them.
using SubjectStatistics = std::array<std::string, 4>;

// The lines of a seat whose subject is `record`, beside the other seat's
// `other`. With no subject in this seat: the placeholders. With no subject
// in the other seat the partner lines are placeholders; with the same
// subject there, they warn that one subject was chosen twice.
SubjectStatistics SubjectStatisticsLines(const SubjectRecord& record, const SubjectRecord& other,
                                         const ServerTexts& texts);

// "Punkte: ???? Gesamt, ?? Rekord" and so on: a seat without a subject.
SubjectStatistics EmptySubjectStatisticsLines(const ServerTexts& texts);

}  // namespace quib::server
