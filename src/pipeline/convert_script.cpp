#include "pipeline/convert_script.h"

#include <filesystem>
#include <system_error>

#include <array>

#include "jobs/file_rewrite.h"
#include "os/path.h"
#include "pipeline/process_runner.h"
#include "text/file_io.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

// Each line is its leading tabs and its text; every byte is ASCII.
struct ScriptLine {
  int tabs;
  std::string_view text;
};

constexpr std::array<ScriptLine, 44> kScriptLines = {{
    {0, R"(Option Explicit)"},
    {0, R"(' ConvertToMp.vbs)"},
    {0, R"(')"},
    {0, R"(' Written by the Pomvelt conversion job, which runs it once and then deletes it.)"},
    {0, R"(' Free to copy, use and change; offered without any warranty.)"},
    {0, R"(')"},
    {0, R"(')"},
    {0,
     R"(' This script uses GPSMapEdit to convert multiple maps to MP format in current directory.)"},
    {0, R"(')"},
    {0, R"(' USAGE:)"},
    {0, R"(' Input files should be put into folder (relative to the script file).)"},
    {0, R"(' Log.txt file is created to log progress.)"},
    {0, R"(')"},
    {0, R"(' Connect to GPSMapEdit.)"},
    {0, R"(Dim a)"},
    {0, R"(Set a = CreateObject ("GPSMapEdit.Application.1"))"},
    {0, R"(a.MinimizeWindow)"},
    {0, R"(' Check version of GPSMapEdit)"},
    {0, R"(If a.Version < "1.0.15.1" Then)"},
    {1, R"(MsgBox "Obsolete version of GPSMapEdit is used. Please upgrade.")"},
    {1, R"(WScript.Quit)"},
    {0, R"(End If)"},
    {0, R"(Dim fso)"},
    {0, R"(Set fso = CreateObject ("Scripting.FileSystemObject"))"},
    {0, R"(Dim strRoot)"},
    {0, R"(strRoot = fso.GetAbsolutePathName (WScript.ScriptFullName + "\..\"))"},
    {0, R"(Dim pMapsFolder)"},
    {0, R"(If Not fso.FolderExists (strRoot + "\") Then)"},
    {1, R"(MsgBox "Couldn't find maps")"},
    {1, R"(WScript.Quit)"},
    {0, R"(End if)"},
    {0, R"(Set pMapsFolder = fso.GetFolder (strRoot + "\"))"},
    {0, R"(Dim pFile)"},
    {0, R"(For Each pFile In pMapsFolder.Files)"},
    {1, R"(Dim strExt)"},
    {1, R"(strExt = fso.GetExtensionName (pFile.Path))"},
    {1, R"(If strExt = "img" Or strExt = "mp" Then)"},
    {2, R"(a.Open pFile.Path, False)"},
    {2, R"(Dim strOutFile)"},
    {2,
     R"(strOutFile = fso.GetParentFolderName(pFile.Path) + "\" + fso.GetBaseName (pFile.Path) + ".mp")"},
    {2, R"(a.SaveAs strOutFile, "polish")"},
    {1, R"(End if)"},
    {0, R"(Next)"},
    {0, R"(a.Exit)"},
}};

std::string JoinScriptLines() {
  std::string text;
  for (const ScriptLine& line : kScriptLines) {
    if (&line != &kScriptLines.front()) text.append("\r\n");
    text.append(static_cast<std::size_t>(line.tabs), '\t');
    text.append(line.text);
  }
  return text;
}

}  // namespace

std::string_view ConvertScriptText() {
  static const std::string text = JoinScriptLines();
  return text;
}

bool WriteConvertScript(const std::string& scriptPath, JobHost& host) {
  OutputFile file;
  if (!file.Create(scriptPath)) {
    host.MessageBox(WithSystemReason(CannotOpenForOutput(scriptPath), file.Error()));
    return false;
  }
  const std::string_view text = ConvertScriptText();
  const bool written = file.Write(text.data(), text.size());
  if (!file.Close() || !written) {
    // Half a script must not be run.
    RemoveFileQuietly(scriptPath);
    host.MessageBox(WriteErrorMessage(scriptPath));
    return false;
  }
  return true;
}

void RunConvertScript(const std::string& pathInFolder, JobHost& host) {
  const std::string scriptPath = std::string(FolderPart(pathInFolder)) + kConvertScriptName;
  // The host is run even without a script: it tells the user in its own way that the script
  // is missing.
  WriteConvertScript(scriptPath, host);
  // It runs in the job's folder, as it did when the file dialog left the current folder there.
  std::error_code ec;
  const std::filesystem::path script = std::filesystem::absolute(PathOf(scriptPath), ec);
  ProcessRequest request;
  request.program = kScriptHostProgram;
  request.args = {ec ? scriptPath : NameOf(script)};
  request.mode = WindowMode::kShown;
  if (!ec) request.folder = NameOf(script.parent_path());
  request.stop = [&host] { return host.StopRequested(); };
  ProcessRunner::Run(request);
  RemoveFileQuietly(scriptPath);
}

}  // namespace pomvelt
