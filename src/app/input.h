// Input detection: FB2 or zip archive, extraction of the archive's single
// member into a private temporary folder, and the choice of text encoding.
#pragma once

namespace tavorin {

// Sets g_run.errorCode (4 to 9) or leaves g_reader open on g_run.workFilePath.
void DetectInput();

// Deletes the extracted file and the run's private folder, if any.
void RemoveWorkFiles();

}  // namespace tavorin
