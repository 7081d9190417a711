// OpenGL extension probe. Every extension is decided from the extension string of the current
// context, never from a non-null entry point (SDL returns non-null for names that do not exist).
#pragma once

namespace kgl {

// True when `name` is a whole token of the current context's extension list.
bool hasGLExtension(const char* name);

// True when `name` is a whole space-separated token of `list`.
bool extensionListHas(const char* list, const char* name);

// True when a GL context is current on this thread (loaders probe extensions only then).
bool glContextCurrent();

// Entry point of an extension function; only call it after hasGLExtension said yes.
void* glProcAddress(const char* name);

}  // namespace kgl
