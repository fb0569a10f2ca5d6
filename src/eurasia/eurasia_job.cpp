#include "eurasia/eurasia_job.h"

#include "eurasia/level_passes.h"
#include "jobs/file_rewrite.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

JobFileDialogParams EurasiaDialogParams() {
  JobFileDialogParams p;
  p.initialFileName = "*.mp";
  p.flags = kOfnAllowMultiSelect | kOfnNoValidate;
  return p;
}

bool AddPreviewEntry(const std::string& path, CMapListFile& list, JobHost& host) {
  InputFile input;
  if (!input.Open(path)) {
    host.MessageBox(CannotOpenNamedForReading(path));
    return false;
  }
  LineReader reader(input);
  std::string_view line;
  while (reader.ReadLine(line)) {
    if (!Contains(line, "Name=")) continue;
    list.AddText(";");
    list.AddMapName(line);
    list.AddLineEnd();
    list.AddText("img=");
    list.AddImgName(path);
    return true;
  }
  if (reader.Failed()) {
    host.MessageBox(ReadErrorMessage(path));
    return false;
  }
  return true;
}

BatchResult EurasiaJob(const EurasiaOptions& options, CMapListFile& list, JobHost& host) {
  const bool makeList = options.m_bMakeTdbList != 0;
  BatchHooks hooks;
  hooks.stepAfterEachFile = false;  // only a file that went through a remedy advances the bar
  hooks.beforeProgress = [&](const std::vector<std::string>& paths) {
    if (makeList && !paths.empty()) {
      list.OpenPreviewList(std::string(FolderPart(paths.back())) + kPreviewListFileName, host);
    }
  };
  hooks.afterLoop = [&] {
    if (!makeList) return;
    list.AddText("[End-Files]");
    list.AddLineEnd();
    list.FlushAndClose(host);
  };
  return RunBatchJob(
      host, EurasiaDialogParams(),
      [&](const std::string& path) {
        bool ok = true;
        if (options.m_nAction == 0) {
          ok = RemoveLevels(path, host);
          host.progress().StepIt();
        } else if (options.m_nAction == 1) {
          ok = FillEmptyLevels(path, host);
          host.progress().StepIt();
        }
        if (makeList && !AddPreviewEntry(path, list, host)) ok = false;
        return ok;
      },
      hooks);
}

}  // namespace pomvelt
