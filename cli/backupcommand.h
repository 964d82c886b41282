#pragma once
// The backup steps zentaro-cli shares between "backup" and "firmware".

#include "jobs/backupstore.h"

class CliSession;

namespace CliBackup {
// Reads every profile of the open, synced keyboard into a new backup; 0, or
// the exit code after a failure line.
int create(CliSession& s, bool automatic, BackupStore::Backup* made);
// After a firmware transfer: reads the keyboard again and says whether its
// profiles still equal `backup`, and how to restore them when not.
void compareAfterTransfer(CliSession& s, const BackupStore::Backup& backup);
}  // namespace CliBackup
