#pragma once
// The questionnaire engine's public interface: the result record and its
// files, the item bank, scoring, norms, interest codes, the profession
// catalogue, the constant tables and the random generator.
#include "framework_types.h"
#include "framework_record.h"
#include "framework_random.h"
#include "framework_data.h"
#include "framework_professions.h"
#include "framework_items.h"
#include "framework_scoring.h"
#include "framework_norms.h"
#include "framework_codes.h"
#include "framework_tables.h"
#include "framework_csv.h"
