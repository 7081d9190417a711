// ASE text exporter of the show generator. The importer does not parse blocks: it searches
// tokens forward and reads fixed column layouts, so the line formats, tab indentation and
// block order below follow the modelling package's export exactly (see the notes inline).
#include "kgl_showgen_ase.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace kgl {
namespace showgen {

V3 cross(V3 a, V3 b) {
    return v3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
float dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float length(V3 a) {
    return std::sqrt(dot(a, a));
}
V3 normalize(V3 a) {
    float l = length(a);
    return l > 1e-12f ? a * (1.0f / l) : v3(0, 1, 0);
}

int Mesh::addVertex(V3 p, float tu, float tv) {
    v.push_back(p);
    u.push_back(tu);
    w.push_back(tv);
    return static_cast<int>(v.size()) - 1;
}

void Mesh::addFace(int a, int b, int c, int mtl) {
    f.push_back(Face{a, b, c, mtl});
}

void Mesh::append(const Mesh& o) {
    int base = static_cast<int>(v.size());
    for (size_t i = 0; i < o.v.size(); ++i) addVertex(o.v[i], o.u[i], o.w[i]);
    for (const Face& fc : o.f) addFace(fc.a + base, fc.b + base, fc.c + base, fc.mtl);
}

void Mesh::translate(V3 d) {
    for (V3& p : v) p = p + d;
}

void Mesh::flipWinding() {
    for (Face& fc : f) std::swap(fc.b, fc.c);
}

namespace {

class Writer {
public:
    void line(int indent, const char* fmt, ...) __attribute__((format(printf, 3, 4))) {
        out_.append(static_cast<size_t>(indent), '\t');
        char buf[512];
        va_list ap;
        va_start(ap, fmt);
        std::vsnprintf(buf, sizeof buf, fmt, ap);
        va_end(ap);
        out_ += buf;
        out_ += '\n';
    }
    std::string& text() { return out_; }

private:
    std::string out_;
};

// Engine frame is Y-up; the file is Z-up: file (x, y, z) = (x, -z, y).
V3 toFile(V3 p) {
    return v3(p.x, -p.z, p.y);
}

void colourLine(Writer& w, int indent, const char* token, V3 c) {
    w.line(indent, "*%s %.4f\t%.4f\t%.4f", token, c.x, c.y, c.z);
}

void writeHeader(Writer& w, const Scene& s) {
    w.line(0, "*3DSMAX_ASCIIEXPORT\t200");
    w.line(0, "*COMMENT \"kgl showgen, scene %s\"", s.name.c_str());
    w.line(0, "*SCENE {");
    w.line(1, "*SCENE_FILENAME \"%s.max\"", s.name.c_str());
    w.line(1, "*SCENE_FIRSTFRAME 0");
    w.line(1, "*SCENE_LASTFRAME %d", s.lastFrame);
    w.line(1, "*SCENE_FRAMESPEED %d", s.frameSpeed);
    w.line(1, "*SCENE_TICKSPERFRAME %d", s.ticksPerFrame);
    w.line(1, "*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000");
    w.line(1, "*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000");
    w.line(0, "}");
}

// The importer keeps the part of the bitmap path after the last backslash; for sub-materials it
// drops the first character of the path, so every path carries a folder before a backslash.
void writeBitmap(Writer& w, int indent, const std::string& texture) {
    w.line(indent, "*MAP_DIFFUSE {");
    w.line(indent + 1, "*MAP_NAME \"%s\"", texture.c_str());
    w.line(indent + 1, "*MAP_CLASS \"Bitmap\"");
    w.line(indent + 1, "*MAP_SUBNO 1");
    w.line(indent + 1, "*MAP_AMOUNT 1.0000");
    w.line(indent + 1, "*BITMAP \"maps\\%s\"", texture.c_str());
    w.line(indent + 1, "*MAP_TYPE Screen");
    w.line(indent + 1, "*UVW_U_OFFSET 0.0000");
    w.line(indent + 1, "*UVW_V_OFFSET 0.0000");
    w.line(indent + 1, "*UVW_U_TILING 1.0000");
    w.line(indent + 1, "*UVW_V_TILING 1.0000");
    w.line(indent + 1, "*UVW_ANGLE 0.0000");
    w.line(indent + 1, "*BITMAP_FILTER Pyramidal");
    w.line(indent, "}");
}

void writeMaterialBody(Writer& w, int indent, const Material& m, bool multi) {
    w.line(indent, "*MATERIAL_NAME \"%s\"", m.name.c_str());
    w.line(indent, "*MATERIAL_CLASS \"%s\"", multi ? "Multi/Sub-Object" : "Standard");
    colourLine(w, indent, "MATERIAL_AMBIENT", m.ambient);
    colourLine(w, indent, "MATERIAL_DIFFUSE", m.diffuse);
    colourLine(w, indent, "MATERIAL_SPECULAR", m.specular);
    w.line(indent, "*MATERIAL_SHINE %.4f", m.shine);
    w.line(indent, "*MATERIAL_SHINESTRENGTH %.4f", m.shineStrength);
    w.line(indent, "*MATERIAL_TRANSPARENCY %.4f", m.transparency);
    w.line(indent, "*MATERIAL_WIRESIZE 1.0000");
    if (multi) return;
    w.line(indent, "*MATERIAL_SHADING Blinn");
    w.line(indent, "*MATERIAL_XP_FALLOFF 0.0000");
    w.line(indent, "*MATERIAL_SELFILLUM %.4f", m.selfIllum);
    w.line(indent, "*MATERIAL_FALLOFF In");
    w.line(indent, "*MATERIAL_XP_TYPE Filter");
    writeBitmap(w, indent, m.texture);
}

void writeMaterials(Writer& w, const Scene& s) {
    w.line(0, "*MATERIAL_LIST {");
    w.line(1, "*MATERIAL_COUNT %d", static_cast<int>(s.materials.size()));
    for (size_t i = 0; i < s.materials.size(); ++i) {
        const Material& m = s.materials[i];
        bool multi = !m.subs.empty();
        w.line(1, "*MATERIAL %d {", static_cast<int>(i));
        writeMaterialBody(w, 2, m, multi);
        if (multi) {
            w.line(2, "*NUMSUBMTLS %d", static_cast<int>(m.subs.size()));
            for (size_t k = 0; k < m.subs.size(); ++k) {
                w.line(2, "*SUBMATERIAL %d {", static_cast<int>(k));
                writeMaterialBody(w, 3, m.subs[k], false);
                w.line(2, "}");
            }
        }
        w.line(1, "}");
    }
    w.line(0, "}");
}

void writeNodeTm(Writer& w, const std::string& name, V3 pos) {
    V3 q = toFile(pos);
    w.line(1, "*NODE_TM {");
    w.line(2, "*NODE_NAME \"%s\"", name.c_str());
    w.line(2, "*INHERIT_POS 0 0 0");
    w.line(2, "*INHERIT_ROT 0 0 0");
    w.line(2, "*INHERIT_SCL 0 0 0");
    w.line(2, "*TM_ROW0 1.0000\t0.0000\t0.0000");
    w.line(2, "*TM_ROW1 0.0000\t1.0000\t0.0000");
    w.line(2, "*TM_ROW2 0.0000\t0.0000\t1.0000");
    w.line(2, "*TM_ROW3 %.4f\t%.4f\t%.4f", q.x, q.y, q.z);
    w.line(2, "*TM_POS %.4f\t%.4f\t%.4f", q.x, q.y, q.z);
    w.line(2, "*TM_ROTAXIS 0.0000\t0.0000\t0.0000");
    w.line(2, "*TM_ROTANGLE 0.0000");
    w.line(2, "*TM_SCALE 1.0000\t1.0000\t1.0000");
    w.line(2, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
    w.line(2, "*TM_SCALEAXISANG 0.0000");
    w.line(1, "}");
}

// Vertex indices are written "%4d" after one space: the importer skips exactly five columns.
void writeVertexList(Writer& w, int indent, const std::vector<V3>& verts) {
    w.line(indent, "*MESH_VERTEX_LIST {");
    for (size_t i = 0; i < verts.size(); ++i) {
        V3 q = toFile(verts[i]);
        w.line(indent + 1, "*MESH_VERTEX %4d\t%.4f\t%.4f\t%.4f", static_cast<int>(i), q.x, q.y, q.z);
    }
    w.line(indent, "}");
}

std::vector<V3> faceNormals(const Mesh& m) {
    std::vector<V3> n;
    n.reserve(m.f.size());
    for (const Face& fc : m.f) n.push_back(normalize(cross(m.v[fc.b] - m.v[fc.a], m.v[fc.c] - m.v[fc.a])));
    return n;
}

std::vector<V3> vertexNormals(const Mesh& m, const std::vector<V3>& fn) {
    std::vector<V3> n(m.v.size());
    for (size_t i = 0; i < m.f.size(); ++i) {
        const Face& fc = m.f[i];
        n[fc.a] = n[fc.a] + fn[i];
        n[fc.b] = n[fc.b] + fn[i];
        n[fc.c] = n[fc.c] + fn[i];
    }
    for (V3& p : n) p = normalize(p);
    return n;
}

void writeFaces(Writer& w, const Mesh& m) {
    w.line(2, "*MESH_FACE_LIST {");
    for (size_t i = 0; i < m.f.size(); ++i) {
        const Face& fc = m.f[i];
        w.line(3,
               "*MESH_FACE %4d:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    1\t *MESH_SMOOTHING 1 "
               "\t*MESH_MTLID %d",
               static_cast<int>(i), fc.a, fc.b, fc.c, fc.mtl);
    }
    w.line(2, "}");
}

void writeTexture(Writer& w, const Mesh& m) {
    w.line(2, "*MESH_NUMTVERTEX %d", static_cast<int>(m.v.size()));
    w.line(2, "*MESH_TVERTLIST {");
    for (size_t i = 0; i < m.v.size(); ++i)
        w.line(3, "*MESH_TVERT %d\t%.4f\t%.4f\t0.0000", static_cast<int>(i), m.u[i], m.w[i]);
    w.line(2, "}");
    w.line(2, "*MESH_NUMTVFACES %d", static_cast<int>(m.f.size()));
    w.line(2, "*MESH_TFACELIST {");
    for (size_t i = 0; i < m.f.size(); ++i)
        w.line(3, "*MESH_TFACE %d\t%d\t%d\t%d", static_cast<int>(i), m.f[i].a, m.f[i].b, m.f[i].c);
    w.line(2, "}");
    w.line(2, "*MESH_NUMCVERTEX 0");
}

void writeNormals(Writer& w, const Mesh& m) {
    std::vector<V3> fn = faceNormals(m);
    std::vector<V3> vn = vertexNormals(m, fn);
    w.line(2, "*MESH_NORMALS {");
    for (size_t i = 0; i < m.f.size(); ++i) {
        V3 q = toFile(fn[i]);
        w.line(3, "*MESH_FACENORMAL %d\t%.4f\t%.4f\t%.4f", static_cast<int>(i), q.x, q.y, q.z);
        const int idx[3] = {m.f[i].a, m.f[i].b, m.f[i].c};
        for (int k : idx) {
            V3 r = toFile(vn[k]);
            w.line(4, "*MESH_VERTEXNORMAL %d\t%.4f\t%.4f\t%.4f", k, r.x, r.y, r.z);
        }
    }
    w.line(2, "}");
}

void writeMesh(Writer& w, const Mesh& m) {
    w.line(1, "*MESH {");
    w.line(2, "*TIMEVALUE 0");
    w.line(2, "*MESH_NUMVERTEX %d", static_cast<int>(m.v.size()));
    w.line(2, "*MESH_NUMFACES %d", static_cast<int>(m.f.size()));
    writeVertexList(w, 2, m.v);
    writeFaces(w, m);
    writeTexture(w, m);
    writeNormals(w, m);
    w.line(1, "}");
}

// Sampled mesh animation: one block per frame with its time, counts and vertex positions.
void writeMeshAnimation(Writer& w, const Scene& s, const Object& o) {
    w.line(1, "*MESH_ANIMATION {");
    for (size_t k = 0; k < o.morph.size(); ++k) {
        w.line(2, "*MESH {");
        w.line(3, "*TIMEVALUE %d", static_cast<int>(k) * s.ticksPerFrame);
        w.line(3, "*MESH_NUMVERTEX %d", static_cast<int>(o.mesh.v.size()));
        w.line(3, "*MESH_NUMFACES %d", static_cast<int>(o.mesh.f.size()));
        writeVertexList(w, 3, o.morph[k]);
        w.line(2, "}");
    }
    w.line(1, "}");
}

void writePosTrack(Writer& w, const Scene& s, const std::vector<V3>& track) {
    w.line(2, "*CONTROL_POS_TRACK {");
    for (size_t k = 0; k < track.size(); ++k) {
        V3 q = toFile(track[k]);
        w.line(3, "*CONTROL_POS_SAMPLE %d\t%.4f\t%.4f\t%.4f", static_cast<int>(k) * s.ticksPerFrame, q.x, q.y,
               q.z);
    }
    w.line(2, "}");
}

// The importer reads the time after the closing brace of rotation and scale tracks as well:
// the two tabs that open the next line absorb that read, so the indentation must stay at two.
void writeRotTrack(Writer& w, const Scene& s, const std::vector<RotKey>& track) {
    w.line(2, "*CONTROL_ROT_TRACK {");
    for (size_t k = 0; k < track.size(); ++k) {
        V3 a = toFile(track[k].axis);
        w.line(3, "*CONTROL_ROT_SAMPLE %d\t%.4f\t%.4f\t%.4f\t%.5f", static_cast<int>(k) * s.ticksPerFrame,
               a.x, a.y, a.z, track[k].angle);
    }
    w.line(2, "}");
}

void writeScaleTrack(Writer& w, const Scene& s, const std::vector<V3>& track) {
    w.line(2, "*CONTROL_SCALE_TRACK {");
    for (size_t k = 0; k < track.size(); ++k) {
        // Scale is a factor per file axis: engine (x, y, z) is file (x, z, y) without negation.
        const V3& p = track[k];
        w.line(3, "*CONTROL_SCALE_SAMPLE %d\t%.4f\t%.4f\t%.4f\t0.0000\t0.0000\t0.0000\t0.0000",
               static_cast<int>(k) * s.ticksPerFrame, p.x, p.z, p.y);
    }
    w.line(2, "}");
}

void writeObject(Writer& w, const Scene& s, const Object& o) {
    w.line(0, "*GEOMOBJECT {");
    w.line(1, "*NODE_NAME \"%s\"", o.name.c_str());
    writeNodeTm(w, o.name, o.pivot);
    writeMesh(w, o.mesh);
    if (!o.morph.empty()) writeMeshAnimation(w, s, o);
    w.line(1, "*PROP_MOTIONBLUR 0");
    w.line(1, "*PROP_CASTSHADOW 1");
    w.line(1, "*PROP_RECVSHADOW 1");
    if (!o.posTrack.empty() || !o.rotTrack.empty() || !o.scaleTrack.empty()) {
        w.line(1, "*TM_ANIMATION {");
        w.line(2, "*NODE_NAME \"%s\"", o.name.c_str());
        if (!o.posTrack.empty()) writePosTrack(w, s, o.posTrack);
        if (!o.rotTrack.empty()) writeRotTrack(w, s, o.rotTrack);
        if (!o.scaleTrack.empty()) writeScaleTrack(w, s, o.scaleTrack);
        w.line(1, "}");
    }
    w.line(1, "*MATERIAL_REF %d", o.material);
    w.line(0, "}");
}

std::vector<V3> orStatic(const std::vector<V3>& track, V3 p, int frames) {
    return track.empty() ? std::vector<V3>(static_cast<size_t>(frames), p) : track;
}

// Cameras carry no field-of-view animation block (the show sets the fields of view), and each
// has its own target distance so that no camera picks up another camera's block.
void writeCamera(Writer& w, const Scene& s, const Camera& c) {
    int frames = s.lastFrame + 1;
    w.line(0, "*CAMERAOBJECT {");
    w.line(1, "*NODE_NAME \"%s\"", c.name.c_str());
    w.line(1, "*CAMERA_TYPE Target");
    writeNodeTm(w, c.name, c.eye);
    writeNodeTm(w, c.name + ".Target", c.target);
    w.line(1, "*CAMERA_SETTINGS {");
    w.line(2, "*TIMEVALUE 0");
    w.line(2, "*CAMERA_NEAR 0.0000");
    w.line(2, "*CAMERA_FAR 1000.0000");
    w.line(2, "*CAMERA_FOV %.4f", c.fovRadians);
    w.line(2, "*CAMERA_TDIST %.4f", c.targetDistance);
    w.line(1, "}");
    w.line(1, "*TM_ANIMATION {");
    w.line(2, "*NODE_NAME \"%s\"", c.name.c_str());
    writePosTrack(w, s, orStatic(c.eyeTrack, c.eye, frames));
    writeRotTrack(w, s, std::vector<RotKey>(static_cast<size_t>(frames), RotKey{v3(0, 1, 0), 0.0f}));
    w.line(1, "}");
    w.line(1, "*TM_ANIMATION {");
    w.line(2, "*NODE_NAME \"%s.Target\"", c.name.c_str());
    writePosTrack(w, s, orStatic(c.targetTrack, c.target, frames));
    w.line(1, "}");
    w.line(0, "}");
}

void writeLight(Writer& w, const Scene& s, const Light& l) {
    w.line(0, "*LIGHTOBJECT {");
    w.line(1, "*NODE_NAME \"%s\"", l.name.c_str());
    w.line(1, "*LIGHT_TYPE %s", l.targeted ? "Target" : "Omni");
    writeNodeTm(w, l.name, l.pos);
    if (l.targeted) writeNodeTm(w, l.name + ".Target", l.target);
    w.line(1, "*LIGHT_SHADOWS Off");
    w.line(1, "*LIGHT_USELIGHT 1");
    w.line(1, "*LIGHT_SETTINGS {");
    w.line(2, "*TIMEVALUE 0");
    colourLine(w, 2, "LIGHT_COLOR", l.colour);
    w.line(2, "*LIGHT_INTENS %.4f", l.intensity);
    w.line(2, "*LIGHT_ASPECT -1.0000");
    w.line(1, "}");
    if (!l.posTrack.empty()) {
        w.line(1, "*TM_ANIMATION {");
        w.line(2, "*NODE_NAME \"%s\"", l.name.c_str());
        writePosTrack(w, s, l.posTrack);
        w.line(1, "}");
    }
    w.line(0, "}");
}

void writeShape(Writer& w, const Shape& sh) {
    w.line(0, "*SHAPEOBJECT {");
    w.line(1, "*NODE_NAME \"%s\"", sh.name.c_str());
    writeNodeTm(w, sh.name, sh.pivot);
    w.line(1, "*SHAPE_LINECOUNT 1");
    w.line(1, "*SHAPE_LINE 0 {");
    w.line(2, "*SHAPE_VERTEXCOUNT %d", static_cast<int>(sh.points.size()));
    for (size_t i = 0; i < sh.points.size(); ++i) {
        V3 q = toFile(sh.points[i]);
        w.line(2, "*SHAPE_VERTEX_INTERP %d\t%.4f\t%.4f\t%.4f", static_cast<int>(i), q.x, q.y, q.z);
    }
    w.line(1, "}");
    w.line(0, "}");
}

}  // namespace

std::string exportAse(const Scene& s) {
    Writer w;
    writeHeader(w, s);
    writeMaterials(w, s);
    for (const Object& o : s.objects) writeObject(w, s, o);
    for (const Camera& c : s.cameras) writeCamera(w, s, c);
    for (const Light& l : s.lights) writeLight(w, s, l);
    // The importer searches shapes from the start of the file; last is where other readers cope.
    for (const Shape& sh : s.shapes) writeShape(w, sh);
    return std::move(w.text());
}

}  // namespace showgen
}  // namespace kgl
