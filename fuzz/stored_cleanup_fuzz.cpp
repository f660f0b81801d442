// Checks that the one-pass clean-up engine gives exactly the bytes of plain
// step-by-step replacement on any input, and that the text conversions and
// primitives survive any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/codepage.h"
#include "common/text.h"
#include "reader/stored_cleanup.h"
#include "reader/stored_cleanup_tables.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rivolet;
  if (size > 1 << 16) return 0;  // the plain engine is slow on long inputs
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  for (const StepTable* table : AllStepTables()) {
    Check(table->Apply(text) == ApplyStepsOneByOne(text, table->steps()));
  }

  // The whole reader pass, by both entry points.
  const std::string cleaned = DecodeEntities(StripTags(text));
  Check(cleaned ==
        Trim(ApplyStepsOneByOne(ApplyStepsOneByOne(text, TagSteps().steps()),
                                EntitySteps(TextForm::kSingleByte).steps())));
  Check(DecodeEntities(StripTags(std::string(text))) == cleaned);

  const std::string converted = Utf8ToCp1250(text);
  Check(converted.size() <= size);
  Check(Cp1250ToUtf16(text).size() == size);
  Check(Utf8ToCp1250(Cp1250ToUtf8(text)) == text);

  const std::string date = FormatItemDate(text);
  Check(date.size() <= size);
  (void)TryStrToInt(text);
  return 0;
}
