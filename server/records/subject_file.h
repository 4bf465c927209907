#pragma once

// Everything about subject files in one include: their format and naming,
// creating, reading, listing and commenting them, and the statistics lines
// shown from them.
#include "server/records/csv_text.h"
#include "server/records/subject_comment.h"
#include "server/records/subject_create.h"
#include "server/records/subject_format.h"
#include "server/records/subject_list.h"
#include "server/records/subject_read.h"
#include "server/records/subject_statistics.h"
