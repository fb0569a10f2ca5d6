#include "jobs/delete_layer.h"

#include "jobs/file_rewrite.h"
#include "jobs/polish_format.h"
#include "text/strings.h"

namespace pomvelt {

namespace {

bool HoldsAny(std::string_view line, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    if (Contains(line, key)) return true;
  }
  return false;
}

// One line an element keeps. The reader's views die with the next read, so the line is copied;
// the buffer lives as long as the transform, so after the first few elements nothing allocates.
struct Slot {
  std::string text;
  bool filled = false;

  void Fill(std::string_view line) {
    text.assign(line);
    filled = true;
  }
  void WriteTo(LineWriter& out) const {
    if (filled) out.WriteLine(text);
  }
};

struct ElementSlots {
  Slot header, type, label, city, direction, coordinates, end;
  bool onLayer = false;

  void Clear() {
    for (Slot* s : {&header, &type, &label, &city, &direction, &coordinates, &end}) {
      s->filled = false;
    }
    onLayer = false;
  }
  // City before direction, although they are tested the other way round: the order the
  // written form has always had.
  void WriteTo(LineWriter& out) const {
    for (const Slot* s : {&header, &type, &label, &city, &direction, &coordinates, &end}) {
      s->WriteTo(out);
    }
  }
};

}  // namespace

LayerKeys DataLayerKeys(std::string_view layer) {
  return LayerKeys{{"Data"}, {"Data" + std::string(layer) + "="}};
}

LayerKeys DataOrOriginLevelKeys(int level) {
  const std::string n = std::to_string(level);
  return LayerKeys{{"Data", "Origin"}, {"Data" + n + "=", "Origin" + n + "="}};
}

void DeleteLayer(LineReader& in, LineWriter& out, const LayerKeys& keys) {
  ElementSlots e;
  std::string_view line;
  while (in.ReadLine(line)) {
    if (!IsAnyElementHeader(line)) {
      out.WriteLine(line);
      continue;
    }
    e.Clear();
    e.header.Fill(line);
    if (in.ReadLine(line)) {
      // Taking an end line for the type line would swallow the next element into this one.
      if (ContainsElementEnd(line)) {
        e.end.Fill(line);
      } else {
        e.type.Fill(line);
      }
    }
    while (e.type.filled && !e.end.filled && in.ReadLine(line)) {
      if (Contains(line, "Label=")) e.label.Fill(line);
      if (Contains(line, "DirIndicator")) e.direction.Fill(line);
      if (Contains(line, "City=")) e.city.Fill(line);
      if (HoldsAny(line, keys.coordinate)) {
        e.coordinates.Fill(line);
        if (HoldsAny(line, keys.onLayer)) e.onLayer = true;
      }
      if (ContainsElementEnd(line)) e.end.Fill(line);
    }
    if (!e.onLayer) e.WriteTo(out);
  }
}

bool DeleteLayerInFile(const std::string& path, const MainOptions& options, JobHost& host) {
  RewriteRequest request;
  request.inputPath = path;
  request.outputPath = MakeOutputPath(path, "_" + options.m_strLayer + "_layer_deleted.mp");
  request.inPlace = options.m_bDeleteInPlace != 0;
  const LayerKeys keys = DataLayerKeys(options.m_strLayer);
  return RewriteFile(request, host, [&](LineReader& in, LineWriter& out) {
    DeleteLayer(in, out, keys);
    return std::optional<std::string>();
  });
}

BatchResult DeleteLayerJob(const MainOptions& options, JobHost& host) {
  return RunBatchJob(host, MapEditDialogParams(), [&](const std::string& path) {
    return DeleteLayerInFile(path, options, host);
  });
}

}  // namespace pomvelt
