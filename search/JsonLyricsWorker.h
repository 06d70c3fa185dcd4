// The worker of a JSON lyrics service row ("JsonLyricsWorker"): asks the
// service for the playing song by its title, artist and length, and falls
// back to the service's search form. The service is asked politely: one
// request of the process at a time, and none while it asked to be left alone
// (a 429 answer's Retry-After, kept while the plugin is loaded).
#pragma once

#include "search/SearchWorkers.h"

// Sent to the service, which asks clients to name themselves.
constexpr char kJsonLyricsAgent[] = "VelmorLyrics/3.0M";

void JsonLyricsWorker(WorkerRequest& request);
