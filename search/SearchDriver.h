// The driver thread of one search: the sites table, then up to two passes
// over the direct sites and the links of one web-search results page, with
// at most four workers at a time.
#pragma once

#include "search/SearchRequest.h"

#include <memory>

void RunSearch(const std::shared_ptr<SearchRequest>& request);
