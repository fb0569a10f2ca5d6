#include "app/main_options.h"

#include "text/cp1251.h"

namespace pomvelt {

ElementKind ElementKindFromIndex(int index) {
  switch (index) {
    case 1:
      return ElementKind::kLine;
    case 2:
      return ElementKind::kPoint;
    default:
      return ElementKind::kPolygon;
  }
}

DeleteElementsOptions DeleteElementsOptionsOf(const MainOptions& o) {
  return {ElementKindFromIndex(o.m_nDeleteKind), Cp1251ToUtf8(o.m_strDeleteType),
          o.m_bDeleteInPlace != 0};
}

ReplaceTypeOptions ReplaceTypeOptionsOf(const MainOptions& o) {
  return {ElementKindFromIndex(o.m_nReplaceKind), Cp1251ToUtf8(o.m_strReplaceFrom),
          Cp1251ToUtf8(o.m_strReplaceTo), o.m_bReplaceInPlace != 0};
}

DeleteLayerOptions DeleteLayerOptionsOf(const MainOptions& o) {
  return {o.m_strLayer, o.m_bDeleteInPlace != 0,
          o.m_bKeepWhole != 0 ? KeptForm::kWhole : KeptForm::kReduced};
}

ConvertOptions ConvertOptionsOf(const MainOptions& o) {
  ConvertOptions c;
  c.decompile = o.m_bDecompile != 0;
  c.decompiler = o.m_nDecompiler == 1 ? Decompiler::kGpsMapEdit : Decompiler::kCgpsmapper;
  // A radio group with nothing chosen (-1) translates nothing, as "none" does.
  c.translation = o.m_nTranslit == 0   ? Translation::kToRussian
                  : o.m_nTranslit == 1 ? Translation::kToTranslit
                                       : Translation::kNone;
  c.lowerCase = o.m_bLowerCase != 0;
  c.inPlace = o.m_bConvertInPlace != 0;
  c.namesList = o.m_bMakeFileList != 0;
  c.compile = o.m_bCompile != 0;
  c.deleteMpAfterCompile = o.m_bDeleteMpAfterCompile != 0;
  return c;
}

}  // namespace pomvelt
