// The Eurasia utilities: for a map set whose detailed levels 0 and 1 are empty, either remove
// those levels and renumber the rest, or fill them from the nearest non-empty level; and
// optionally list the processed maps for a preview (tdb) project.
#pragma once

#include <string>
#include <vector>

#include "jobs/batch_job.h"
#include "jobs/delete_layer.h"
#include "jobs/job_host.h"
#include "jobs/map_list_file.h"

namespace pomvelt {

enum class EurasiaAction { kNone, kRemoveLevels, kFillLevels };

struct EurasiaOptions {
  EurasiaAction action = EurasiaAction::kNone;
  bool makeTdbList = false;            // "eurasia_pdb.txt" beside the chosen files
  KeptForm kept = KeptForm::kReduced;  // of the elements level removal leaves
};

JobFileDialogParams EurasiaDialogParams();

// Adds the map's two lines to the preview-project list: ";" with the name of its first line
// holding "Name=", and "img=" with its file name, ".mp" turned into ".img". A map without a
// "Name=" line adds nothing. Failed when the map could not be read.
FileOutcome AddPreviewEntry(const std::string& path, CMapListFile& list);

// The whole batch over the chosen files, final message included. The list "eurasia_pdb.txt"
// goes into the folder of the chosen files and is closed with "[End-Files]" also after a
// cancel; a dry run writes no list.
BatchReport EurasiaJob(const EurasiaOptions& options, const std::vector<std::string>& files,
                       CMapListFile& list, const BatchContext& batch);

}  // namespace pomvelt
