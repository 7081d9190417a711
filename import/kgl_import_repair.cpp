// Repair mode of the importer (kgl convert --repair): the steps that replace a stop with a
// default. Searches here are bounded by the block they belong to (found by matching braces), so
// a value missing from one material or a short animation never borrows from the next one.
#include "import/kgl_import.h"

namespace kgl {

namespace {

// What 3ds Max gives a new standard material, for values an export leaves out.
struct MaterialValue {
    const char* token;
    int count;
    float fallback;
};
constexpr MaterialValue kColours[3] = {
    {"MATERIAL_AMBIENT", 3, 0.588f}, {"MATERIAL_DIFFUSE", 3, 0.588f}, {"MATERIAL_SPECULAR", 3, 0.9f}};
constexpr MaterialValue kFactors[4] = {{"MATERIAL_SHINE", 1, 0.1f},
                                       {"MATERIAL_SHINESTRENGTH", 1, 0.0f},
                                       {"MATERIAL_TRANSPARENCY", 1, 0.0f},
                                       {"MATERIAL_WIRESIZE", 1, 1.0f}};
constexpr MaterialValue kShineStrength = {"MATERIAL_SHINESTRENGTH", 1, 0.0f};
constexpr MaterialValue kSelfIllum = {"MATERIAL_SELFILLUM", 1, 0.0f};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Position just after `token` as a whole word (followed by a blank) in [from, to), or kAseNoHit.
size_t findWord(const AseScanOps& scan, const AseText& text, size_t from, size_t to, const char* token) {
    while (from < to) {
        const size_t hit = scan.findHit(text, from, to, token);
        if (hit == kAseNoHit) return kAseNoHit;
        if (hit < text.size() && isBlank(text.data()[hit])) return hit;
        from = hit;
    }
    return kAseNoHit;
}

}  // namespace

size_t AseImporter::BlockEnd(size_t from) const {
    const char* d = text_.data();
    const size_t size = text_.size();
    size_t i = from;
    while (i < size && d[i] != '{') ++i;
    int depth = 0;
    for (; i < size; ++i) {
        if (d[i] == '{') ++depth;
        if (d[i] == '}' && --depth == 0) return i;
    }
    return size;
}

int AseImporter::SkipToWithin(const char* token, size_t limit) {
    const size_t hit = scan_->findHit(text_, text_.tell(), limit, token);
    if (hit == kAseNoHit) return 0;
    text_.seek(hit);
    return 1;
}

// One material block ("*MATERIAL n {" with a space or a tab) read value by value within its own
// braces; the parent's values come from before its first sub-material.
bool AseImporter::ConvertMaterialRepaired(const std::string& textureDir, bool pack) {
    Log("\nConverting Materials");
    const size_t from = text_.tell();
    const size_t start = findWord(*scan_, text_, from, text_.size(), "*MATERIAL");
    const size_t end = start == kAseNoHit ? from : BlockEnd(start);
    const size_t firstSub =
        start == kAseNoHit ? kAseNoHit : scan_->findHit(text_, start, end, "*SUBMATERIAL");
    const size_t own = firstSub == kAseNoHit ? end : firstSub;
    const size_t ownStart = start == kAseNoHit ? from : start;

    bool multi = false;
    const size_t cls = findWord(*scan_, text_, ownStart, own, "MATERIAL_CLASS");
    if (cls != kAseNoHit) {
        size_t i = cls;
        while (i < own && (isBlank(text_.data()[i]) || text_.data()[i] == '"')) ++i;
        multi = i < own && text_.data()[i] == 'M';  // "Multi/Sub-Object"
    }
    int n = 0;
    const size_t subs = findWord(*scan_, text_, ownStart, own, "*NUMSUBMTLS");
    if (multi && subs != kAseNoHit) {
        text_.seek(subs);
        n = ReadInt();
    }
    if (n < 0 || n > kMaxSubMaterials) multi = false;  // read as a plain material
    if (!multi) n = 0;

    out_.i32(multi ? 1 : 0);
    WriteMaterialValuesIn(ownStart, own, !multi, false);
    out_.u16(static_cast<uint16_t>(n));
    bool ok = true;
    if (!multi) {
        ok = WriteTextureIn(ownStart, end, textureDir, pack);
    } else {
        size_t cursor = own;
        for (int i = 0; i < n && ok; ++i) {
            const size_t sub = scan_->findHit(text_, cursor, end, "*SUBMATERIAL");
            const size_t subEnd = sub == kAseNoHit ? cursor : BlockEnd(sub);
            WriteMaterialValuesIn(sub == kAseNoHit ? cursor : sub, subEnd, false, true);
            ok = WriteTextureIn(sub == kAseNoHit ? cursor : sub, subEnd, textureDir, pack);
            cursor = subEnd;
        }
    }
    text_.seek(end < text_.size() ? end + 1 : end);
    return ok;
}

// The values of a material (sub = a sub-material's short list; plain adds self-illumination),
// each from its token in [from, to) or its default (logged and counted).
bool AseImporter::WriteMaterialValuesIn(size_t from, size_t to, bool plain, bool sub) {
    const MaterialValue* list[9];
    int count = 0;
    for (const MaterialValue& v : kColours) list[count++] = &v;
    if (sub) {
        list[count++] = &kShineStrength;
    } else {
        for (const MaterialValue& v : kFactors) list[count++] = &v;
    }
    if (plain || sub) list[count++] = &kSelfIllum;
    for (int k = 0; k < count; ++k) {
        const MaterialValue& v = *list[k];
        const size_t at = findWord(*scan_, text_, from, to, v.token);
        if (at == kAseNoHit) {
            Log("\n****Repair: %s missing from a material: default %g", v.token, v.fallback);
            ++repairs_.materialValues;
            for (int i = 0; i < v.count; ++i) out_.f32(v.fallback);
            continue;
        }
        text_.seek(at);
        Skip(1);
        for (int i = 0; i < v.count; ++i) out_.f32(ReadFloat());
    }
    return true;
}

// The first "*BITMAP" of [from, to); none gives an empty name (a material without a texture).
bool AseImporter::WriteTextureIn(size_t from, size_t to, const std::string& textureDir, bool pack) {
    char name[kAseNameBuffer] = "";
    const size_t at = findWord(*scan_, text_, from, to, "*BITMAP");
    if (at != kAseNoHit) {
        text_.seek(at);
        ReadFileName(name);
    }
    WriteName(name);
    return !pack || PackTexture(textureDir, name);
}

// One texture vertex at (0, 0, 0) that every texture face names; the faces are written by
// WriteTextureFaces.
void AseImporter::WriteZeroTextureCoords(const std::string& name, int) {
    Log("\n****Repair: %s has no texture vertices: zero coordinates", name.c_str());
    ++repairs_.texVerts;
    out_.u16(1);
    for (int k = 0; k < 3; ++k) out_.f32(0.0f);
    textureVertexCount_ = 1;
    zeroTexVerts_ = true;
}

// A track shorter than the scene (last frame + 1 samples) repeats its last sample up to there;
// a rotation sample is an increment, so its held copies turn by 0.
int AseImporter::HoldLastSample(const float* last, int values, int written, int maxSamples) {
    const int target = lastFrame_ + 1 < maxSamples ? lastFrame_ + 1 : maxSamples;
    if (!repair_ || written == 0 || written >= target) return written;
    Log("\n****Repair: a track of %d samples holds its last one to frame %d", written, lastFrame_);
    ++repairs_.heldAnimations;
    for (; written < target; ++written)
        for (int i = 0; i < values; ++i) PutF32(values == 4 && i == 3 ? 0.0f : last[i]);
    return written;
}

}  // namespace kgl
