// The update run. Placeholder until the update is written: nothing is ever busy.
#include "TrackManager.h"

struct TTrackManager::TUpdateState {};

bool TTrackManager::IsBusy() const {
    return false;
}

void TTrackManager::StopAndWaitForWorkers() {}
