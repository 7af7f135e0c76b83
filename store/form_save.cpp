// The form save of the browses' record forms and the report of failed queue
// operations.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

namespace {

void copyBytes(std::span<unsigned char> to, std::span<const unsigned char> from) {
  std::copy(from.begin(), from.end(), to.begin());
}

bool sameBytes(std::span<const unsigned char> a, std::span<const unsigned char> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

}  // namespace

SaveResult SaveRec(Context& ctx, engine::File& table, std::span<unsigned char> buffer, std::span<unsigned char> form,
                   std::span<unsigned char> saved, ListQueue& queue, int request, engine::Position position) {
  const std::size_t size = table.decl().recordSize;
  if (buffer.size() != size || form.size() != size || saved.size() != size)
    throw std::invalid_argument("SaveRec: record sizes differ from the table's record of " + table.decl().label);

  if (request == kInsertRecord) {
    // The buffer holds what the form's add stored.
    const engine::Position stored = table.position();
    copyBytes(saved, buffer);
    queue.insertLine(buffer, stored);
    queue.redraw();
    return {SaveOutcome::Blank, stored};
  }
  if (request != kChangeRecord && request != kDeleteRecord) return {SaveOutcome::Failed, position};

  if (HoldRec(ctx, table, engine::KeyRef{}, false, position) != kHoldRecHeld) return {SaveOutcome::Failed, position};

  if (!sameBytes(buffer, saved)) {
    // Another user (or another window) got there first: show what is stored
    // now, and make it the copy the next attempt is compared with.
    inform(ctx, "Warning!", "The record has just been changed by another user!\r\nTry again!", MessageKind::Warning);
    copyBytes(form, buffer);
    copyBytes(saved, buffer);
    queue.updateLine(buffer);
    queue.redraw();
    table.release();
    return {SaveOutcome::Blank, position};
  }

  if (request == kChangeRecord) {
    copyBytes(buffer, form);
    if (UppDat(ctx, table, kUppPut, kReport) != kUppDatDone) {
      // The stored record is unchanged; the buffer goes back to it so that
      // nothing else takes the unsaved values for stored ones.
      copyBytes(buffer, saved);
      return {SaveOutcome::Failed, position};
    }
    copyBytes(saved, form);
    queue.updateLine(form);
  } else {
    if (UppDat(ctx, table, kUppDelete, kReport) != kUppDatDone) return {SaveOutcome::Failed, position};
    queue.removeLine();
  }
  queue.redraw();
  return {SaveOutcome::Ok, position};
}

QErrorResult QError(Context& ctx, int mode, int errorCode, std::string_view errorText) {
  if (errorCode == 0 || errorCode == engine::code(engine::Err::EntryNotFound)) return kQueueOk;
  if (mode != kReport && mode != kRollback) return kQueueError;

  std::string detail;
  std::string severity = "Fatal error!";
  if (errorCode == 8) {
    detail = "Insufficient memory!";
  } else if (errorCode == 75) {
    detail = "Invalid field type descriptor!";
  } else {
    detail = errorText.empty() ? engine::defaultText(static_cast<engine::Err>(errorCode)) : std::string(errorText);
    severity = "Warning!";
  }

  if (mode == kRollback) {
    if (ctx.session.inTransaction()) ctx.session.rollback();
    inform(ctx, "Fatal error", "Queue access error\r\n" + detail + "\r\nThe last transaction is rolled back.",
           MessageKind::Error);
  } else {
    inform(ctx, severity, "Queue access error\r\n" + detail,
           severity == "Warning!" ? MessageKind::Warning : MessageKind::Error);
  }
  return kQueueError;
}

}  // namespace qv
