#pragma once
// The one check every answer and error slot makes: is this answer the
// requester's own (its source code)? Others' answers leave one log line,
// "=== <class> <slot> 数据来源不匹配 source:{ <source> } ===", and errors one
// line "=== <class> usb错误 source={..};order={0x..};error={..}===".

#include <QtGlobal>

class QObject;

namespace RequesterSource {

// True when `source` is `own`; otherwise logs the mismatch for `requester`.
bool accept(const QObject* requester, uchar own, uchar source, const char* slot);
// Logs an engine error as `requester` saw it.
void logError(const QObject* requester, uchar source, uchar order, int error);

}  // namespace RequesterSource
