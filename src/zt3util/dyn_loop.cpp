// The reflection loop of a .cif_od file: which loop qualifies, and the lines it writes.
#include "zt3util/dyn_loop.h"

#include "zt3util/reason_log.h"

namespace zt7 {
namespace {

constexpr size_t kMinimumRows = 100;
constexpr const char16_t* kRequiredColumns[] = {u"_refln_index_h", u"_refln_index_k",
                                                u"_refln_index_l", u"_refln_intensity_meas",
                                                u"_refln_intensity_sigma"};

}  // namespace

bool WriteReflectionLoop(zodu::IInputStream& stream, const cif_dp::LineSink& sink) {
  cif_dp::TCifDP document;
  try {
    document.LoadFromStream(stream);
  } catch (const zodu::TOutOfMemoryException& e) {
    // The file was never judged: an error, not a text without a loop.
    LogError(e.GetReport());
    return false;
  } catch (const zodu::TIOException& e) {
    LogError(e.GetReport());
    return false;
  } catch (const zodu::TBasicException& e) {
    // A text the reader rejects has no loop to seal.
    LogReason(e.GetMessage());
    return false;
  } catch (const zodu::TExceptionBase&) {
    return false;
  }
  const cif_dp::cetTable* loop =
      document.Count() == 0 ? nullptr : document[0].FindTable(zodu::vexstr(u"_refln"));
  bool qualifies = loop != nullptr && loop->RowCount() >= kMinimumRows;
  for (const char16_t* column : kRequiredColumns)
    qualifies = qualifies && loop->ColIndex(zodu::vexstr(column)) >= 0;
  if (!qualifies) {
    LogReason(
        u"the first block has no _refln loop of at least 100 rows with the columns "
        u"_refln_index_h, _k, _l, _refln_intensity_meas and _sigma");
    return false;
  }
  loop->WriteLines(sink);
  return true;
}

}  // namespace zt7
