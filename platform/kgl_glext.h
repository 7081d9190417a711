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

// The window system's answers to the two questions above, given by the video system when it
// starts (initDisplaySystem, HeadlessGL::create). Until then no context is current and there is
// no entry point, as in the commands that open no window (they link no window system).
void setGLEntryPoints(void* (*procAddress)(const char* name), bool (*contextCurrent)());

}  // namespace kgl
