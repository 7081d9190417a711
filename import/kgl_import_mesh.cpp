// The mesh lists of an object record: vertices, faces, texture vertices and faces, face normals
// and vertex normals, each found by its token in the exporter's order and column layout.
#include "import/kgl_import.h"

namespace kgl {

bool AseImporter::WriteVertices(int v) {
    SkipTo("MESH_VERTEX_LIST");
    for (int i = 0; i < v && !hitEnd(); ++i) {
        SkipTo("MESH_VERTEX");
        if (repair_) {
            ReadLong();  // the index as a number: other exporters don't use Max's columns
        } else {
            Skip(4);  // the index, right-aligned in five columns: the last digit is dropped below
            Skip(1);
        }
        for (int k = 0; k < 3; ++k) PutF32(ReadFloat());
    }
    FlushBlock();
    if (hitEnd()) return Reject("the input ends inside MESH_VERTEX_LIST");
    Log("\nReaded Vertexes ok");
    return true;
}

bool AseImporter::WriteFaces(int f) {
    SkipTo("MESH_FACE_LIST");
    for (int i = 0; i < f && !hitEnd(); ++i) {
        SkipTo("MESH_FACE");
        int a, b, c;
        if (repair_) {  // by the corner labels, whatever the spacing
            SkipTo("A:");
            a = ReadInt();
            SkipTo("B:");
            b = ReadInt();
            SkipTo("C:");
            c = ReadInt();
        } else {
            Skip(13);
            a = ReadInt();
            Skip(3);
            b = ReadInt();
            Skip(3);
            c = ReadInt();
        }
        SkipTo("*MESH_MTLID");
        const int id = ReadInt();
        PutU16(static_cast<uint16_t>(a));
        PutU16(static_cast<uint16_t>(b));
        PutU16(static_cast<uint16_t>(c));
        PutU16(static_cast<uint16_t>(id));
        if (a < 0 || b < 0 || c < 0 || a >= faceVertexLimit_ || b >= faceVertexLimit_ ||
            c >= faceVertexLimit_)
            return Reject("face %d names vertex %d %d %d of %d", i, a, b, c, faceVertexLimit_);
    }
    FlushBlock();
    if (hitEnd()) return Reject("the input ends inside MESH_FACE_LIST");
    Log("\nProcessed Faces OK");
    return true;
}

// No texture vertices is one of the two fatal stops (exit status -1).
bool AseImporter::WriteTextureVertices(const std::string& name) {
    int t = 0;
    if (repair_) {
        // Only this object's count: the next object's would be the one found otherwise.
        const size_t next = scan_->findHit(text_, text_.tell(), text_.size(), "GEOMOBJECT");
        if (SkipToWithin("MESH_NUMTVERTEX", next == kAseNoHit ? text_.size() : next) == 1) t = ReadInt();
        if (t == 0) {
            WriteZeroTextureCoords(name, 0);
            return true;
        }
    } else if (SkipTo("MESH_NUMTVERTEX") == 1) {
        t = ReadInt();
    }
    if (t == 0 || hitEnd())
        return Fatal(ImportStatus::FatalNoTexVerts, "object %s has no texture vertices (MESH_NUMTVERTEX)",
                     name.c_str());
    if (t < 0 || t > kMaxMeshVertices || static_cast<size_t>(t) > text_.size())
        return Reject("MESH_NUMTVERTEX %d is out of range", t);
    out_.u16(static_cast<uint16_t>(t));
    textureVertexCount_ = t;
    SkipTo("TVERTLIST");
    for (int i = 0; i < t && !hitEnd(); ++i) {
        SkipTo("MESH_TVERT");
        ReadInt();
        for (int k = 0; k < 3; ++k) PutF32(ReadFloat());
    }
    FlushBlock();
    if (hitEnd()) return Reject("the input ends inside MESH_TVERTLIST");
    Log("\nProcessed S,T texture coords OK");
    return true;
}

bool AseImporter::WriteTextureFaces(int f) {
    if (zeroTexVerts_) {  // repaired: every corner names the one zero texture vertex
        for (int i = 0; i < 3 * f; ++i) PutU16(0);
        FlushBlock();
        return true;
    }
    SkipTo("MESH_TFACELIST");
    for (int i = 0; i < f && !hitEnd(); ++i) {
        SkipTo("MESH_TFACE");
        ReadInt();
        int idx[3];
        for (int k = 0; k < 3; ++k) {
            idx[k] = ReadInt();
            PutU16(static_cast<uint16_t>(idx[k]));
        }
        for (int k = 0; k < 3; ++k)
            if (idx[k] < 0 || idx[k] >= textureVertexCount_)
                return Reject("texture face %d names texture vertex %d of %d", i, idx[k],
                              textureVertexCount_);
    }
    FlushBlock();
    if (hitEnd()) return Reject("the input ends inside MESH_TFACELIST");
    Log("\nProcessed Textures Faces OK");
    return true;
}

// F face normals. An export without normals (the search reaches the end) gets zero normals.
bool AseImporter::WriteFaceNormals(int f) {
    const size_t at = text_.tell();
    std::vector<float> normals(static_cast<size_t>(f) * 3, 0.0f);
    for (int i = 0; i < f && !hitEnd(); ++i) {
        SkipTo("MESH_FACENORMAL");
        ReadInt();
        for (int k = 0; k < 3; ++k) normals[3 * i + k] = ReadFloat();
    }
    const bool complete = !hitEnd();
    if (!complete) {
        std::fill(normals.begin(), normals.end(), 0.0f);
        Log("\n****No MESH_FACENORMAL list: face normals written as 0");
    }
    for (float x : normals) PutF32(x);
    FlushBlock();
    Log("\nProcessed Face Normals OK");
    text_.seek(at);
    return complete;
}

// Three vertex normals per face, stored by vertex index: the last face that names a vertex wins.
// Vertices that no face names (or an export without normals) keep a zero normal.
bool AseImporter::WriteVertexNormals(int v, int f) {
    Log("Preparing to read Vertex Normals size required in bytes %d", v * 12);
    const size_t at = text_.tell();
    std::vector<float> normals(static_cast<size_t>(v) * 3, 0.0f);
    for (int i = 0; i < f && !hitEnd(); ++i) {
        SkipTo("MESH_FACENORMAL");
        for (int corner = 0; corner < 3; ++corner) {
            SkipTo("MESH_VERTEXNORMAL");
            const int index = ReadInt();
            float n[3];
            for (int k = 0; k < 3; ++k) n[k] = ReadFloat();
            if (index < 0 || index >= v) {
                Log("\n************** FATAL ERROR lectura MESH_vertexnormal se vaaa");
                continue;
            }
            for (int k = 0; k < 3; ++k) normals[3 * static_cast<size_t>(index) + k] = n[k];
        }
    }
    const bool complete = !hitEnd();
    if (!complete) {
        text_.seek(at);
        std::fill(normals.begin(), normals.end(), 0.0f);
        Log("\n****No MESH_VERTEXNORMAL list: vertex normals written as 0");
    }
    Log("\nOK MESH_VERTEXNORMAL per faces, readed OK in buffer");
    Log("\n[[[Proceding to flush buffer into sceneFile]]]");
    for (float x : normals) PutF32(x);
    FlushBlock();
    Log("\n[[[ OK MESH_VERTEXNORMALS flushed to scene File, DELETING BUFFER ]]]");
    return complete;
}

}  // namespace kgl
