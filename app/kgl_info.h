// "kgl info FILE": a plain-text summary of a file the show reads. Each reader offers one
// function that prints its summary and returns an exit status, or returns kNotMyKind when the
// file is not of its kind, so the dispatcher can try the next one.
#pragma once

#include <cstdio>

#include "app/kgl_cmdline.h"

namespace kgl {

constexpr int kNotMyKind = -1;

int runInfo(const InfoOptions& options);

int infoScene(const char* path, bool packed, FILE* out);
int infoK2D(const char* path, FILE* out);
int infoConfig(const char* path, FILE* out);
int infoActions(const char* path, FILE* out);

}  // namespace kgl
