// Stands in for the media library's view refresh until the library is built.
#include "TrackManager.h"

void TTrackManager::RefreshMediaDBList() {}
