// The Eurasia utilities: for a map set whose detailed levels 0 and 1 are empty, either remove
// those levels and renumber the rest, or fill them from the nearest non-empty level; and
// optionally list the processed maps for a preview (tdb) project.
#pragma once

#include <string>

#include "eurasia/map_list_file.h"
#include "jobs/batch_job.h"
#include "jobs/job_host.h"

namespace pomvelt {

// The options of the Eurasia dialog, with its member names and defaults.
struct EurasiaOptions {
  int m_nAction = -1;  // -1 nothing, 0 remove levels 0 and 1, 1 fill them
  int m_bMakeTdbList = 0;
};

JobFileDialogParams EurasiaDialogParams();

// Adds the map's two lines to the preview-project list: ";" with the name of its first line
// holding "Name=", and "img=" with its file name, ".mp" turned into ".img". A map without a
// "Name=" line adds nothing. False when the map could not be read (the failure has been shown).
bool AddPreviewEntry(const std::string& path, CMapListFile& list, JobHost& host);

// The whole job. The list "eurasia_pdb.txt" goes into the folder of the chosen files and is
// closed with "[End-Files]" also after a cancel.
BatchResult EurasiaJob(const EurasiaOptions& options, CMapListFile& list, JobHost& host);

}  // namespace pomvelt
