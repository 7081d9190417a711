// Light and shape converters. Lights: type (targeted spot or omni), position, target, colour,
// intensity and the position tracks of the light and its target, counted apart from the shared
// sample counter. Shapes: only splines whose name begins with "B" (the Bezier paths).
#include "import/kgl_import.h"

namespace kgl {

bool AseImporter::ConvertLights() {
    text_.seek(0);
    for (;;) {
        if (SkipTo("LIGHTOBJECT") != 1) return true;
        if (counts_.lights == 0xFFFF) return Reject("more than 65535 lights");
        ++counts_.lights;
        if (!ConvertLight()) return false;
    }
}

bool AseImporter::ConvertLight() {
    const std::string name = ReadNodeName();
    char type[kAseNameBuffer] = "";
    SkipTo("LIGHT_TYPE");
    Skip(1);
    ReadUntilQuote(type);
    if (hitEnd()) return Reject("light %s: the input ends before its LIGHT_TYPE", name.c_str());
    const bool target = std::string(type) == "Target";
    if (!target && std::string(type) != "Omni")
        Log("\n****Light %s of type %s written as Omni", name.c_str(), type);
    out_.u8(target ? 1 : 0);
    Log("\nProcessed %s Light", name.c_str());
    if (!WriteVectorAfter("TM_POS")) return Reject("light %s: no TM_POS", name.c_str());
    if (target) {
        Log("\nProcessed %s Spot Light's target", name.c_str());
        if (!WriteVectorAfter("TM_POS")) return Reject("light %s: no target TM_POS", name.c_str());
    }
    if (!WriteVectorAfter("LIGHT_COLOR") || SkipTo("LIGHT_INTENS") != 1)
        return Reject("light %s: no LIGHT_COLOR and LIGHT_INTENS", name.c_str());
    Skip(1);
    out_.f32(ReadFloat());
    if (hitEnd()) return Reject("light %s: the input ends inside LIGHT_INTENS", name.c_str());
    const size_t p = text_.tell();
    if (!WriteLightTrack(name, false, p)) return false;
    return !target || WriteLightTrack(name, true, p);
}

// Animation flag and position track of the light (or of its target); not found: flag 0 and the
// input returns to `p`.
bool AseImporter::WriteLightTrack(const std::string& name, bool target, size_t p) {
    if (!NextAnimationIs(target ? name + ".Target" : name)) {
        out_.u8(0);
        text_.seek(p);
        return true;
    }
    out_.u8(1);
    const int samples =
        WriteTrackBlock("CONTROL_POS_TRACK {", "CONTROL_POS_SAMPLE", 3, false, lastFrame_ + 1);
    if (samples < 0) return Reject("light %s: the input ends inside its TM_ANIMATION", name.c_str());
    if (target)
        Log("\nProcessed %s  %d Light's Target animation", name.c_str(), samples);
    else
        Log("\nProcessed %s %d Light animation", name.c_str(), samples);
    return true;
}

bool AseImporter::ConvertShapes() {
    text_.seek(0);
    for (;;) {
        if (SkipTo("*SHAPEOBJECT") != 1) return true;
        if (!ConvertShape()) return false;
    }
}

bool AseImporter::ConvertShape() {
    const std::string name = ReadNodeName();
    if (hitEnd()) return Reject("the input ends inside a SHAPEOBJECT");
    Log("\n\n* Process %s Curve ", name.c_str());
    if (name.empty() || name[0] != 'B') return true;  // only the Bezier paths are kept
    if (counts_.shapes == 0xFFFF) return Reject("more than 65535 shapes");
    ++counts_.shapes;
    WriteName(name);
    if (!WriteVectorAfter("TM_POS") || SkipTo("SHAPE_VERTEXCOUNT") != 1)
        return Reject("shape %s: no TM_POS and SHAPE_VERTEXCOUNT", name.c_str());
    Skip(1);
    const int n = ReadInt();
    if (n < 0 || n > 0xFFFF || static_cast<size_t>(n) > text_.size())
        return Reject("shape %s: SHAPE_VERTEXCOUNT %d is out of range", name.c_str(), n);
    out_.u16(static_cast<uint16_t>(n));
    for (int i = 0; i < n && !hitEnd(); ++i) {
        SkipTo("SHAPE_VERTEX_INTERP");
        ReadInt();
        const float x = ReadFloat();
        const float y = ReadFloat();
        const float z = ReadFloat();
        out_.vec3(x, y, z);
    }
    if (hitEnd()) return Reject("shape %s: the input ends inside its points", name.c_str());
    return true;
}

}  // namespace kgl
