#include "types/TypeTable.h"

#include "types/AviType.h"
#include "types/BmpType.h"
#include "types/CanonCR2Type.h"
#include "types/CanonRawType.h"
#include "types/CompoundDoc.h"
#include "types/ExcelFilter.h"
#include "types/HTMLFilter.h"
#include "types/JpegType.h"
#include "types/KodakRawType.h"
#include "types/MP3ype.h"
#include "types/MSWordFilter.h"
#include "types/NikonRawType.h"
#include "types/OlympusRawType.h"
#include "types/PDFFilter.h"
#include "types/PPTFilter.h"
#include "types/PublisherFilter.h"
#include "types/RTFFilter.h"
#include "types/SigmaRawType.h"
#include "types/TextDoc.h"
#include "types/TiffType.h"
#include "types/XMLFilter.h"
#include "types/ZipFilter.h"

namespace tarvosk {

namespace {

// The 22 recognisers in their fixed order. A parent is made before its children, which attach
// themselves to it, but takes its place in the table after them.
std::vector<std::unique_ptr<CTypeFilter>> makeRecognisers() {
  auto tiff = std::make_unique<CTiffType>();
  auto compound = std::make_unique<CCompoundDoc>();
  auto text = std::make_unique<CTextDoc>();
  std::vector<std::unique_ptr<CTypeFilter>> table;
  table.push_back(std::make_unique<CBmpType>());
  table.push_back(std::make_unique<CJpegType>());
  table.push_back(std::make_unique<CCanonRawType>());
  table.push_back(std::make_unique<CCanonCR2Type>(tiff.get()));
  table.push_back(std::make_unique<CSigmaRawType>());
  table.push_back(std::make_unique<CNikonRawType>(tiff.get()));
  table.push_back(std::make_unique<COlympusRawType>(tiff.get()));
  table.push_back(std::make_unique<CKodakRawType>(tiff.get()));
  table.push_back(std::move(tiff));
  table.push_back(std::make_unique<CMSWordFilter>(compound.get()));
  table.push_back(std::make_unique<CExcelFilter>(compound.get()));
  table.push_back(std::make_unique<CPPTFilter>(compound.get()));
  table.push_back(std::make_unique<CPublisherFilter>(compound.get()));
  table.push_back(std::move(compound));
  table.push_back(std::make_unique<CRTFFilter>(text.get()));
  table.push_back(std::make_unique<CHTMLFilter>(text.get()));
  table.push_back(std::make_unique<CXMLFilter>(text.get()));
  table.push_back(std::move(text));
  table.push_back(std::make_unique<CMP3ype>());
  table.push_back(std::make_unique<CAviType>());
  table.push_back(std::make_unique<CPDFFilter>());
  table.push_back(std::make_unique<CZipFilter>());
  return table;
}

}  // namespace

FilterRegistry& filterRegistry() {
  static FilterRegistry registry(makeRecognisers());
  return registry;
}

}  // namespace tarvosk
