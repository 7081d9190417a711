// Material converter: one record per material of the MATERIAL_LIST (multi flag, colours and
// factors, sub-materials, texture names and, when packing, the texture files themselves).
#include <cstring>

#include "common/kgl_bytes.h"
#include "import/kgl_import.h"
#include "platform/kgl_msgbox.h"

namespace kgl {

namespace {
constexpr int64_t kMaxPackedTexture = INT32_MAX;  // the length field is int32
}

bool AseImporter::ConvertMaterials(const std::string& textureDir, bool pack) {
    text_.seek(0);
    if (SkipTo("MATERIAL_COUNT") != 1) {
        text_.seek(0);
        return true;  // no material list: an empty section
    }
    const int count = ReadInt();
    if (count < 0 || count > 0xFFFF || static_cast<size_t>(count) > text_.size())
        return Reject("MATERIAL_COUNT %d is out of range", count);
    counts_.materials = static_cast<uint16_t>(count);
    for (int i = 0; i < count; ++i)
        if (!(repair_ ? ConvertMaterialRepaired(textureDir, pack) : ConvertMaterial(textureDir, pack)))
            return false;
    return true;
}

bool AseImporter::ConvertMaterial(const std::string& textureDir, bool pack) {
    const size_t at = text_.tell();
    char name[kAseNameBuffer];
    SkipTo("*MATERIAL_NAME");  // read like a node name and not written
    Skip(2);
    ReadUntilQuote(name);
    text_.seek(at);
    Log("\nConverting Materials");

    SkipTo("*MATERIAL ");
    SkipTo("MATERIAL_CLASS");
    Skip(2);
    bool multi = text_.get() == 'M';  // "Multi/Sub-Object"
    if (hitEnd()) return Reject("the input ends before MATERIAL_CLASS of a material");
    const size_t q = text_.tell();
    if (multi) {
        SkipTo("*NUMSUBMTLS");
        if (ReadInt() > kMaxSubMaterials) multi = false;  // read as a plain material
    }
    text_.seek(q);

    out_.i32(multi ? 1 : 0);
    if (!WriteColours()) return Reject("the input ends inside a material's colours");
    for (const char* token :
         {"MATERIAL_SHINE", "MATERIAL_SHINESTRENGTH", "MATERIAL_TRANSPARENCY", "MATERIAL_WIRESIZE"})
        if (!WriteFloatAfter(token)) return Reject("the input ends before %s of a material", token);
    if (!multi && !WriteFloatAfter("MATERIAL_SELFILLUM"))
        return Reject("the input ends before MATERIAL_SELFILLUM");

    int n = 0;
    if (multi) {
        SkipTo("*NUMSUBMTLS");
        n = ReadInt();
        if (hitEnd() || n < 0 || n > kMaxSubMaterials) return Reject("NUMSUBMTLS %d is out of range", n);
    }
    out_.u16(static_cast<uint16_t>(n));
    if (!multi) return WriteTexture(textureDir, pack, "BITMAP");
    for (int i = 0; i < n; ++i) {
        if (!WriteColours() || !WriteFloatAfter("MATERIAL_SHINESTRENGTH") ||
            !WriteFloatAfter("MATERIAL_SELFILLUM"))
            return Reject("the input ends inside sub-material %d", i);
        if (!WriteTexture(textureDir, pack, "BITMAP ")) return false;
    }
    return true;
}

bool AseImporter::WriteColours() {
    return WriteVectorAfter("MATERIAL_AMBIENT") && WriteVectorAfter("MATERIAL_DIFFUSE") &&
           WriteVectorAfter("MATERIAL_SPECULAR");
}

bool AseImporter::WriteFloatAfter(const char* token) {
    if (SkipTo(token) != 1) return false;
    Skip(1);
    out_.f32(ReadFloat());
    return !hitEnd();
}

// The bare file name of the bitmap, then (packing) the file's bytes. A material without any
// further bitmap in the input gets an empty name; the input returns to where the search began.
bool AseImporter::WriteTexture(const std::string& textureDir, bool pack, const char* token) {
    const size_t at = text_.tell();
    char name[kAseNameBuffer] = "";
    if (SkipTo(token) == 1) {
        ReadFileName(name);
    } else {
        text_.seek(at);
        Log("\n****No %s left in the input: empty texture name", token);
    }
    WriteName(name);
    return !pack || PackTexture(textureDir, name);
}

bool AseImporter::PackTexture(const std::string& textureDir, const char* name) {
    const std::string path = textureDir + name;
    std::vector<uint8_t> bytes;
    if (name[0] == '\0' || !readFile(path, bytes) || static_cast<int64_t>(bytes.size()) > kMaxPackedTexture) {
        char text[kMaxImportPath + kAseNameBuffer + 64];
        std::snprintf(text, sizeof text, "Texture bitmap : %s not found!", path.c_str());
        notices_.push_back(Notice{true, text});  // the box, shown at Commit
        return Fatal(ImportStatus::FatalTextureMissing, "texture %s to pack not found", path.c_str());
    }
    out_.packedTexture(bytes);
    return true;
}

}  // namespace kgl
