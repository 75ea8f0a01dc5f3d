// The filtered GEDCOM writer: the database in memory written out as a GEDCOM file, with the
// privacy filter applied to persons. Two writers: the whole file (every record and line,
// gedcom_whole_writer.h; the default) and the kept fields, a GEDCOM 5.5 file described here.
//
// The writer of the kept fields writes what the database keeps: per person the name, sex, birth, death, family links and
// notes; the note records; per family the partners, children, marriage and notes. Excluded
// persons are left out, or written with masked dates, as the settings say; nothing in the file
// points to a person that was left out, a family's marriage and notes are written as the
// privacy layer shows them (pages/privacy.h), and a note record only hidden notes refer to is
// not written. Masked dates are written as pages show them, inside a date phrase. Bytes are
// written as the database holds them, each line ended by CR LF.
#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "database/database.h"
#include "database/progress.h"
#include "settings/settings.h"

namespace stirpex {

// The GEDCOM form of a person's name: `name` with `surname` put between slashes where it
// stands as a word of its own, else at its first occurrence (the slashed surname goes in front
// when it does not occur at all); `name` + " /UNKNOWN/" when the surname is empty.
std::string SlashedName(std::string_view name, std::string_view surname);

// The value of a person's NAME line in a written GEDCOM file: the form that the GEDCOM reader
// turns back into exactly this Name and Surname wherever one exists (so that names stay the
// keys of the start person, exclude list and image list after a save and reload), else
// SlashedName. Nothing (no NAME line) for a person with neither name nor surname.
std::optional<std::string> GedcomNameValue(std::string_view name, std::string_view surname);

// "d MMM yyyy" as a GEDCOM date: the day without a leading zero, the month JAN to DEC.
std::string GedcomHeaderDate(const std::tm& date);

// Writes the file (atomically: an older file of that name stays whole if writing fails) with
// the writer the settings choose: the whole file (GedcomWholeRecords, gedcom_whole_writer.h)
// or the kept fields (WriteKeptFieldsGedcom).
// `header_date` is the text of the header's "1 DATE " line. Returns false after reporting
// "Unable to write to " + path (help topic 204) when the file cannot be written, or the
// privacy layer's refusal (nothing written) while the exclude list cannot be read.
bool WriteFilteredGedcom(const Database& db, const TSettings& settings,
                         const std::filesystem::path& path, std::string_view header_date,
                         Messages& messages);
// The writer of the kept fields described above, whatever the setting says.
bool WriteKeptFieldsGedcom(const Database& db, const TSettings& settings,
                           const std::filesystem::path& path, std::string_view header_date,
                           Messages& messages);

}  // namespace stirpex
