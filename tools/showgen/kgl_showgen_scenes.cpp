// The eight scenes of the default show. Each scene has its own palette, motion and camera work;
// the names, counts and sizes follow what the engine set-up and the director address:
// morph sources and targets share their vertex count and differ by far more than the morph's
// step count (the morph moves in whole units), and morph targets sit far below the view on
// their own pivots, so they need no hiding.
#include "kgl_showgen_scenes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "kgl_showgen_ase.h"
#include "kgl_showgen_image.h"
#include "kgl_showgen_mesh.h"
#include "kgl_showgen_script.h"
#include "kgl_showgen_textures.h"

namespace kgl {
namespace showgen {
namespace {

constexpr float kTwoPi = 2.0f * kPi;
constexpr float kFarBelow = -30000.0f;  // parking place of hidden morph targets

// Frames run from 1 to lastFrame - 2 and wrap: loops are periodic over lastFrame - 2 frames.
float loopPhase(int frame, int lastFrame) {
    return kTwoPi * static_cast<float>(frame - 1) / static_cast<float>(lastFrame - 2);
}

template <typename F>
std::vector<V3> track(int lastFrame, F at) {
    std::vector<V3> t;
    for (int f = 0; f <= lastFrame; ++f) t.push_back(at(loopPhase(f, lastFrame)));
    return t;
}

// Constant spin: `turns` whole turns per loop about `axis` (positive axis components only).
std::vector<RotKey> spin(int lastFrame, V3 axis, float turns) {
    float step = turns * kTwoPi / static_cast<float>(lastFrame - 2);
    return std::vector<RotKey>(static_cast<size_t>(lastFrame + 1), RotKey{normalize(axis), step});
}

V3 orbit(float ph, float k, float rx, float ry, float rz, float a0) {
    return v3(std::cos(k * ph + a0) * rx, std::sin(k * ph * 2.0f + a0) * ry, std::sin(k * ph + a0) * rz);
}

Mesh rotated(Mesh m, V3 axis, float angle) {
    V3 k = normalize(axis);
    float c = std::cos(angle), s = std::sin(angle);
    for (V3& p : m.v) p = p * c + cross(k, p) * s + k * (dot(k, p) * (1.0f - c));
    return m;
}

Object object(const std::string& name, Mesh mesh, int material, V3 pivot) {
    Object o;
    o.name = name;
    mesh.translate(pivot);
    o.mesh = std::move(mesh);
    o.pivot = pivot;
    o.material = material;
    return o;
}

Camera camera(int index, V3 eye, V3 target, float tdist) {
    Camera c;
    char name[16];
    std::snprintf(name, sizeof name, "Camera%02d", index + 1);
    c.name = name;
    c.eye = eye;
    c.target = target;
    c.targetDistance = tdist;
    return c;
}

Light light(int index, V3 pos, V3 colour) {
    Light l;
    char name[16];
    std::snprintf(name, sizeof name, "Omni%02d", index + 1);
    l.name = name;
    l.pos = pos;
    l.colour = colour;
    return l;
}

Material plain(const std::string& name, const std::string& texture, V3 diffuse) {
    Material m;
    m.name = name;
    m.texture = texture;
    m.diffuse = diffuse;
    m.ambient = diffuse * 0.4f;
    return m;
}

// A material that glows by itself: the renderer's global ambient light (0.2) times an ambient
// value well above 1 lights the surface where no spot light reaches it.
Material glowing(Material m, float k) {
    m.ambient = m.diffuse * k;
    for (Material& sub : m.subs) sub.ambient = sub.diffuse * k;
    return m;
}

Material multi(const std::string& name, const std::string& first, const std::string& second, V3 diffuse) {
    Material m = plain(name, first, diffuse);
    m.subs.push_back(plain(name + " base", first, diffuse));
    m.subs.push_back(plain(name + " layer", second, diffuse));
    return m;
}

// ---- slot 0: korvo.txt, the opening: a blue gyroscope of rings around a glass core --------

// The backdrop, the fourteen rings "a" to "n" and the two ribbons.
void korvoRings(Scene& s) {
    int L = s.lastFrame;
    Object blue = object("blue", makeSphere(2600, 24, 14), 0, v3(0, 0, 0));
    blue.mesh.flipWinding();
    blue.rotTrack = spin(L, v3(0, 1, 0), 1);
    blue.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    s.objects.push_back(blue);
    const char* rings[14] = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n"};
    for (int i = 0; i < 14; ++i) {
        float r = 70.0f + 14.0f * static_cast<float>(i);
        Mesh m = rotated(makeTorus(r, 1.6f + 0.25f * static_cast<float>(i % 4), 24, 4), v3(1, 0, 0.3f * i),
                         0.22f * static_cast<float>(i));
        Object o = object(rings[i], m, 1, v3(0, 0, 0));
        o.posTrack = track(L, [i](float ph) { return v3(0, 6.0f * std::sin(ph * 2 + i), 0); });
        o.rotTrack = spin(L, v3(0.1f * (i % 3), 1, 0.05f * i), (i % 2 ? 2.0f : 3.0f));
        s.objects.push_back(o);
    }
    for (int k = 0; k < 2; ++k) {
        std::vector<V3> path;
        for (int j = 0; j <= 60; ++j) {
            float t = kTwoPi * static_cast<float>(j) / 60.0f;
            float rr = 300.0f + 40.0f * std::sin(3 * t + k);
            path.push_back(v3(std::cos(t) * rr, 70.0f * std::sin(2 * t + k * 1.5f), std::sin(t) * rr));
        }
        Object o = object(k == 0 ? "bluezin" : "bluezin01",
                          makeTube(
                              path, [](int j) { return 3.0f + 3.0f * std::fabs(std::sin(j * 0.2f)); }, 4),
                          1, v3(0, 0, 0));
        o.posTrack = track(L, [](float) { return v3(0, 0, 0); });
        o.rotTrack = spin(L, v3(0, 1, 0.2f * k), k == 0 ? 1.0f : -1.0f);
        s.objects.push_back(o);
    }
}

// The glass core, halos, knot, wire cube, title plate and a path shape.
void korvoCore(Scene& s) {
    int L = s.lastFrame;
    Object bola02 = object("bola02", makeSphere(32, 16, 10), 2, v3(0, 0, 0));
    s.objects.push_back(bola02);
    Object bola03 = object("bola03", makeSphere(48, 16, 10), 2, v3(0, 0, 0));
    bola03.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    bola03.scaleTrack = track(L, [](float ph) {
        float k = 1.0f + 0.12f * std::sin(ph * 8);
        return v3(k, k, k);
    });
    s.objects.push_back(bola03);
    const char* halos[3] = {"h01", "h02", "orvo"};
    for (int i = 0; i < 2; ++i) {
        Object o =
            object(halos[i], rotated(makeDisc(230.0f + 60 * i, 250.0f + 70 * i, 48), v3(1, 0, 0), 0.5f - i),
                   1, v3(0, 0, 0));
        o.posTrack = track(L, [](float) { return v3(0, 0, 0); });
        o.rotTrack = spin(L, v3(0, 1, 0), i == 0 ? -1.0f : 1.0f);
        s.objects.push_back(o);
    }
    std::vector<V3> knot;
    for (int j = 0; j <= 110; ++j) {
        float t = kTwoPi * static_cast<float>(j) / 110.0f;
        float rr = 100.0f + 35.0f * std::cos(3 * t);
        knot.push_back(v3(std::cos(2 * t) * rr, 35.0f * std::sin(3 * t), std::sin(2 * t) * rr));
    }
    Object orvo = object("orvo",
                         makeTube(
                             knot, [](int) { return 7.0f; }, 5),
                         2, v3(0, 0, 0));
    orvo.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    orvo.rotTrack = spin(L, v3(0.3f, 1, 0.2f), 2);
    s.objects.push_back(orvo);
    Object box = object("Box01", makeBox(v3(150, 150, 150), 0), 1, v3(0, 0, 0));
    box.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    box.rotTrack = spin(L, v3(1, 1, 0.5f), 1);
    s.objects.push_back(box);
    Object img = object("INIMAGE", makeQuad(420, 420), 3, v3(0, 120, -520));
    s.objects.push_back(img);
    Shape path;
    path.name = "Bpath01";
    for (int j = 0; j < 8; ++j) path.points.push_back(orbit(kTwoPi * j / 8.0f, 1, 400, 60, 400, 0));
    s.shapes.push_back(path);
}

// Eight cameras: wide orbit, low fly-through, top view, title dolly, and four telephotos.
void korvoCameras(Scene& s) {
    int L = s.lastFrame;
    s.cameras.push_back(camera(0, v3(0, 80, 620), v3(0, 0, 0), 620));
    s.cameras[0].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(ph) * 620, 120 + 60 * std::sin(ph * 2), std::cos(ph) * 620); });
    s.cameras.push_back(camera(1, v3(0, 10, 420), v3(0, 0, 0), 421));
    s.cameras[1].eyeTrack = track(L, [](float ph) {
        return v3(std::cos(ph * 2) * 420, 15 * std::sin(ph * 3), std::sin(ph * 2) * 420);
    });
    s.cameras[1].targetTrack = track(L, [](float ph) { return v3(0, 20 * std::sin(ph * 4), 0); });
    s.cameras.push_back(camera(2, v3(0, 900, 10), v3(0, 0, 0), 902));
    s.cameras[2].eyeTrack = track(L, [](float ph) { return v3(std::sin(ph) * 60, 900, std::cos(ph) * 60); });
    s.cameras.push_back(camera(3, v3(0, 120, 200), v3(0, 120, -520), 720));
    s.cameras[3].eyeTrack = track(L, [](float ph) {
        return v3(25 * std::sin(ph), 120 + 6 * std::sin(ph * 2), 230 + 25 * std::cos(ph));
    });
    for (int i = 0; i < 4; ++i) {
        float d = 1300.0f + 200.0f * i;
        s.cameras.push_back(camera(4 + i, v3(0, 0, d), v3(0, 0, 0), d + 3.0f));
        s.cameras[4 + i].eyeTrack = track(L, [i, d](float ph) {
            float a = ph * (i % 2 ? -1.0f : 1.0f) + i;
            return v3(std::sin(a) * d, 200.0f * std::sin(ph * 2 + i), std::cos(a) * d);
        });
    }
}

void korvoLights(Scene& s) {
    int L = s.lastFrame;
    const V3 colours[6] = {v3(0.3f, 0.6f, 1), v3(0.6f, 0.9f, 1),    v3(0.9f, 0.9f, 1),
                           v3(0.5f, 0.4f, 1), v3(0.2f, 0.8f, 0.9f), v3(0.7f, 0.7f, 0.9f)};
    for (int i = 0; i < 6; ++i) {
        Light l = light(i, v3(200, 0, 0), colours[i]);
        l.posTrack = track(
            L, [i](float ph) { return orbit(ph, 1 + i % 2, 220 + 30 * i, 120, 220 + 30 * i, i * 1.1f); });
        s.lights.push_back(l);
    }
}

Scene korvoScene() {
    Scene s;
    s.name = "korvo";
    s.lastFrame = 300;
    // Transparent objects take their colour from the material's ambient value: the glass core
    // and the knot get their full colour so that they read as lit, not grey.
    s.materials = {plain("nebula", "korvo_nebula.jpg", v3(0.5f, 0.7f, 1.0f)),
                   plain("ring", "korvo_ring.jpg", v3(0.6f, 0.8f, 1.0f)),
                   plain("chrome", "korvo_chrome.jpg", v3(0.9f, 0.95f, 1.0f)),
                   plain("title", "korvo_title.jpg", v3(1, 1, 1))};
    s.materials[2].ambient = v3(0.85f, 0.95f, 1.0f);
    s.materials[3].ambient = v3(1, 1, 1);
    korvoRings(s);
    korvoCore(s);
    korvoCameras(s);
    korvoLights(s);
    return s;
}

// ---- slot 1: fx01.txt, a warm fogged corridor of tiles with multipass cubes ---------------

Mesh tileField(int nx, int nz, float tile, float gap, float y) {
    Mesh m;
    for (int i = 0; i < nx; ++i) {
        for (int j = 0; j < nz; ++j) {
            Mesh q = rotated(makeQuad(tile - gap, tile - gap), v3(1, 0, 0), y < 0 ? -kPi / 2 : kPi / 2);
            q.translate(
                v3((static_cast<float>(i) - nx / 2.0f + 0.5f) * tile, y, -static_cast<float>(j) * tile + 40));
            m.append(q);
        }
    }
    return m;
}

// The corridor's side walls: tiles standing at x = +-x, facing inward.
Mesh sideField(int nz, int ny, float tile, float gap, float x, float height) {
    Mesh m;
    float h = height / static_cast<float>(ny);
    for (int side = -1; side <= 1; side += 2) {
        for (int j = 0; j < nz; ++j) {
            for (int k = 0; k < ny; ++k) {
                Mesh q = rotated(makeQuad(tile - gap, h - gap), v3(0, 1, 0), side < 0 ? kPi / 2 : -kPi / 2);
                q.translate(v3(side * x, -height / 2 + (static_cast<float>(k) + 0.5f) * h,
                               -static_cast<float>(j) * tile + 40));
                m.append(q);
            }
        }
    }
    return m;
}

Scene fx01Scene() {
    Scene s;
    s.name = "fx01";
    s.lastFrame = 300;
    int L = s.lastFrame;
    s.materials = {glowing(multi("cube", "fx01_grid.jpg", "fx01_plasma.jpg", v3(1.0f, 0.7f, 0.4f)), 3.0f),
                   glowing(plain("tiles", "fx01_tiles.jpg", v3(1.0f, 0.6f, 0.5f)), 4.5f),
                   glowing(plain("wall", "fx01_wall.jpg", v3(1.0f, 0.8f, 0.7f)), 5.0f)};
    for (int i = 0; i < 5; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "Box%02d", i + 1);
        Object o = object(name, makeBox(v3(30, 30, 30), 2), 0, v3(0, 0, -60.0f * i));
        o.posTrack = track(L, [i](float ph) {
            float a = ph * 2 + i * 1.3f;
            return v3(std::cos(a) * (25 + 6 * i), std::sin(a * 1.5f) * 14,
                      -20.0f - 25.0f * i + 10 * std::sin(ph + i));
        });
        o.rotTrack = spin(L, v3(0.3f * i + 0.2f, 1, 0.5f), 3 + i);
        s.objects.push_back(o);
    }
    Object floor = object("QUADS", tileField(8, 12, 24, 2, -34), 1, v3(0, 0, 0));
    floor.posTrack =
        track(L, [](float ph) { return v3(0, 0, 24.0f * std::fmod(ph / kTwoPi * 10.0f, 1.0f)); });
    s.objects.push_back(floor);
    Object ceiling = object("QUADS01", tileField(8, 12, 24, 2, 34), 1, v3(0, 0, 0));
    ceiling.posTrack = floor.posTrack;
    s.objects.push_back(ceiling);
    // A far wall where the corridor ends: the fog turns it into a warm haze the cubes stand out
    // against, instead of black.
    Object sides = object("SIDES", sideField(12, 3, 24, 2, 96, 68), 1, v3(0, 0, 0));
    sides.posTrack = floor.posTrack;
    s.objects.push_back(sides);
    Object wall = object("WALL", makeQuad(200, 74), 2, v3(0, 0, -236));
    s.objects.push_back(wall);
    s.cameras.push_back(camera(0, v3(0, 0, 60), v3(0, 0, -100), 160));
    s.cameras[0].eyeTrack =
        track(L, [](float ph) { return v3(10 * std::sin(ph), 6 * std::sin(ph * 2), 60); });
    s.cameras[0].targetTrack =
        track(L, [](float ph) { return v3(25 * std::sin(ph * 2), 8 * std::cos(ph), -100); });
    s.cameras.push_back(camera(1, v3(0, 25, -20), v3(0, 0, -140), 121));
    s.cameras[1].eyeTrack =
        track(L, [](float ph) { return v3(20 * std::cos(ph), 25, -20 + 15 * std::sin(ph)); });
    // Second-act cameras: skimming the floor toward the cubes, and from beyond the cubes back.
    s.cameras.push_back(camera(2, v3(0, -26, 70), v3(0, -10, -120), 191));
    s.cameras[2].eyeTrack = track(L, [](float ph) {
        return v3(14 * std::sin(ph * 3), -26 + 3 * std::sin(ph * 6), 70 - 20 * std::sin(ph));
    });
    s.cameras.push_back(camera(3, v3(0, 10, -180), v3(0, 0, -40), 141));
    s.cameras[3].eyeTrack =
        track(L, [](float ph) { return v3(18 * std::sin(ph * 2), 10 + 8 * std::cos(ph), -180); });
    const V3 colours[6] = {v3(1, 0.5f, 0.2f),    v3(1, 0.3f, 0.6f), v3(1, 0.8f, 0.4f),
                           v3(0.9f, 0.4f, 0.9f), v3(1, 0.6f, 0.3f), v3(0.8f, 0.5f, 1)};
    for (int i = 0; i < 6; ++i) {
        Light l = light(i, v3(0, 0, -80), colours[i]);
        l.posTrack = track(L, [i](float ph) {
            float a = ph * (1 + i % 3) + i;
            return v3(std::cos(a) * 28, std::sin(a) * 20, -70.0f - 25.0f * i);
        });
        s.lights.push_back(l);
    }
    return s;
}

// ---- slot 2: test01.txt, an emerald crystal: shell, spiked core and a spinning star -------

Scene test01Scene() {
    Scene s;
    s.name = "test01";
    s.lastFrame = 400;
    int L = s.lastFrame;
    s.materials = {plain("emerald", "test01_env.jpg", v3(0.5f, 1.0f, 0.6f)),
                   plain("gold", "test01_gold.jpg", v3(1.0f, 0.85f, 0.4f))};
    Mesh outer = makeSphere(60, 14, 9);
    displaceRadial(outer, v3(0, 0, 0), [](V3 d) { return 6.0f * std::sin(d.x * 9) * std::cos(d.z * 7); });
    Object o = object("OUTER", outer, 0, v3(0, 0, 0));
    o.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    o.rotTrack = spin(L, v3(0.2f, 1, 0.1f), 1);
    s.objects.push_back(o);
    Mesh inner = makeSphere(20, 18, 12);
    displaceRadial(inner, v3(0, 0, 0), [](V3 d) {
        float k = std::pow(std::fabs(std::sin(d.x * 5) * std::sin(d.y * 5) * std::sin(d.z * 5)), 0.5f);
        return 14.0f * k;
    });
    Object in = object("INNER", inner, 1, v3(0, 0, 0));
    in.posTrack = track(L, [](float ph) { return v3(0, 3 * std::sin(ph * 4), 0); });
    in.rotTrack = spin(L, v3(1, 1, 0), -3);
    s.objects.push_back(in);
    Object star = object("STAR", makeStar(5, 30, 12, 5), 1, v3(0, 0, 0));
    star.posTrack = track(L, [](float ph) { return v3(0, 0, 10 * std::sin(ph * 2)); });
    star.rotTrack = spin(L, v3(0, 0.4f, 1), 4);
    s.objects.push_back(star);
    Object box = object("Box01", makeBox(v3(10, 10, 10), 0), 0, v3(0, -200, 0));
    s.objects.push_back(box);
    s.cameras.push_back(camera(0, v3(0, 20, 95), v3(0, 0, 0), 97));
    s.cameras[0].eyeTrack =
        track(L, [](float ph) { return v3(std::sin(ph) * 95, 25 * std::sin(ph * 2), std::cos(ph) * 95); });
    s.cameras.push_back(camera(1, v3(0, 0, 40), v3(0, 0, 0), 41));
    s.cameras[1].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(-ph * 2) * 42, 10 * std::cos(ph), std::cos(-ph * 2) * 42); });
    s.cameras.push_back(camera(2, v3(0, 110, 0.1f), v3(0, 0, 0), 111));
    s.cameras[2].eyeTrack = track(L, [](float ph) { return v3(30 * std::sin(ph), 110, 30 * std::cos(ph)); });
    s.cameras.push_back(camera(3, v3(70, -20, 70), v3(0, 0, 0), 101));
    s.cameras[3].eyeTrack =
        track(L, [](float ph) { return v3(70 * std::cos(ph), -30 + 50 * std::sin(ph), 70 * std::sin(ph)); });
    // Second-act cameras: a slow spiral from below to above, and a distant telephoto.
    s.cameras.push_back(camera(4, v3(0, -90, 60), v3(0, 0, 0), 108));
    s.cameras[4].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(ph * 3) * 75, -90 * std::cos(ph), std::cos(ph * 3) * 75); });
    s.cameras.push_back(camera(5, v3(0, 30, 300), v3(0, 0, 0), 302));
    s.cameras[5].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(-ph) * 300, 30 + 60 * std::sin(ph * 2), std::cos(-ph) * 300); });
    for (int i = 0; i < 2; ++i) {
        Light l = light(i, v3(40, 0, 0), i == 0 ? v3(0.4f, 1, 0.5f) : v3(1, 0.9f, 0.4f));
        l.posTrack = track(L, [i](float ph) { return orbit(ph, 2, 45, 20, 45, i * kPi); });
        s.lights.push_back(l);
    }
    return s;
}

// ---- slot 3: test02.txt, the drooler: a dripping blob inside an unfolding shell -----------

// Shell of the GAMUT object over its own clock: calm until 52, spikes grow until 68, a twist
// between 117 and 138, and a burst between 160 and 188.
std::vector<V3> gamutFrame(const Mesh& base, int f) {
    auto ramp = [f](int a, int b) {
        return std::clamp((static_cast<float>(f) - a) / static_cast<float>(b - a), 0.0f, 1.0f);
    };
    float spikes = ramp(52, 68), twist = ramp(117, 138) * 1.4f, burst = ramp(160, 188);
    std::vector<V3> out;
    for (const V3& p : base.v) {
        V3 d = normalize(p);
        float spike = std::pow(std::fabs(std::sin(d.x * 6) * std::sin(d.y * 6) * std::sin(d.z * 6)), 0.7f);
        float r = 260.0f + 180.0f * spike * spikes + 200.0f * burst + 30.0f * std::sin(f * 0.15f + d.y * 4);
        float a = twist * d.y * 2.0f;
        V3 q = v3(d.x * std::cos(a) - d.z * std::sin(a), d.y, d.x * std::sin(a) + d.z * std::cos(a));
        out.push_back(q * r);
    }
    return out;
}

Mesh droolerShape(int variant) {
    Mesh m = makeSphere(1, 20, 14);
    for (V3& p : m.v) {
        V3 d = p;
        float r = 140.0f + 25.0f * std::sin(d.x * 5 + 1) * std::cos(d.z * 4);
        if (variant == 1)
            r += 220.0f * std::pow(std::max(0.0f, -d.y), 3.0f) * (0.6f + 0.4f * std::sin(d.x * 13));
        if (variant == 2)
            r += 160.0f * std::pow(std::fabs(std::sin(std::atan2(d.z, d.x) * 3)), 4.0f) * (1 - d.y * d.y);
        p = v3(d.x * r, d.y * r * (variant == 2 ? 0.6f : 1.0f) + (variant == 1 ? -60.0f * d.y * d.y : 0.0f),
               d.z * r);
    }
    return m;
}

Scene test02Scene() {
    Scene s;
    s.name = "test02";
    s.lastFrame = 200;  // GAMUT's clocks reach frame 188
    int L = s.lastFrame;
    s.materials = {glowing(multi("gamut", "test02_skin.jpg", "test02_env.jpg", v3(0.6f, 0.9f, 1.0f)), 2.0f),
                   glowing(multi("back", "test02_back.jpg", "test02_env.jpg", v3(0.7f, 0.5f, 1.0f)), 3.0f),
                   glowing(plain("drool", "test02_skin.jpg", v3(0.7f, 1.0f, 0.8f)), 2.5f)};
    Mesh shell = makeSphere(1, 14, 9);
    // A nebula all round, far enough for the scene's grey fog to soften it: the drooler is never
    // seen against plain black. It is drawn first, so that the additive shell lies over it, and
    // it hides the flat backdrop quad the set-up expects, which stands outside it.
    Object sky = object("SKY", makeSphere(1500, 24, 14), 1, v3(0, 0, 0));
    sky.mesh.flipWinding();
    sky.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    sky.rotTrack = spin(L, v3(0.2f, 1, 0), -1);
    s.objects.push_back(sky);
    Object gamut = object("GAMUT", shell, 0, v3(0, 0, 0));
    gamut.mesh.v = gamutFrame(shell, 0);
    for (int f = 0; f <= L; ++f) gamut.morph.push_back(gamutFrame(shell, f));
    s.objects.push_back(gamut);  // no earlier object may share its counts
    Object back = object("BACK", makeQuad(4200, 3000), 1, v3(0, 0, -2200));
    s.objects.push_back(back);
    const char* names[3] = {"Drooler", "DroolerW5", "DroolerW6"};
    for (int k = 0; k < 3; ++k) {
        V3 pivot = k == 0 ? v3(0, 0, 0) : v3(0, kFarBelow, 0);
        Object o = object(names[k], droolerShape(k), 2, pivot);
        o.posTrack =
            track(L, [k, pivot](float ph) { return pivot + v3(0, k == 0 ? 20 * std::sin(ph * 2) : 0, 0); });
        if (k == 0) o.rotTrack = spin(L, v3(0, 1, 0), 1);
        s.objects.push_back(o);
    }
    s.cameras.push_back(camera(0, v3(0, 0, 700), v3(0, 0, 0), 700));
    s.cameras[0].eyeTrack =
        track(L, [](float ph) { return v3(std::sin(ph) * 700, 150 * std::sin(ph * 2), std::cos(ph) * 700); });
    s.cameras.push_back(camera(1, v3(0, -300, 500), v3(0, 0, 0), 583));
    s.cameras[1].eyeTrack =
        track(L, [](float ph) { return v3(200 * std::sin(ph), -300, 500 + 100 * std::cos(ph)); });
    s.cameras.push_back(camera(2, v3(600, 400, 600), v3(0, 0, 0), 938));
    s.cameras[2].eyeTrack =
        track(L, [](float ph) { return v3(std::cos(-ph) * 700, 400, std::sin(-ph) * 700); });
    s.cameras.push_back(camera(3, v3(0, 0, 420), v3(0, -40, 0), 422));
    s.cameras[3].eyeTrack =
        track(L, [](float ph) { return v3(120 * std::sin(ph * 2), 60 * std::cos(ph), 420); });
    // Second-act cameras: high above, circling, and a far telephoto sweeping round.
    s.cameras.push_back(camera(4, v3(0, 520, 450), v3(0, 0, 0), 688));
    s.cameras[4].eyeTrack =
        track(L, [](float ph) { return v3(450 * std::sin(ph), 520, 450 * std::cos(ph)); });
    s.cameras.push_back(camera(5, v3(0, 100, 1300), v3(0, 0, 0), 1304));
    s.cameras[5].eyeTrack = track(L, [](float ph) {
        return v3(std::sin(ph * 2) * 1300, 100 + 200 * std::sin(ph), std::cos(ph * 2) * 1300);
    });
    // The credits' view: from beside the drooler out into the nebula, drifting slowly.
    s.cameras.push_back(camera(6, v3(0, 0, 300), v3(0, 250, 1400), 1128));
    s.cameras[6].targetTrack =
        track(L, [](float ph) { return v3(300 * std::sin(ph), 250 + 80 * std::cos(ph), 1400); });
    const V3 colours[4] = {v3(0.5f, 0.9f, 1), v3(0.8f, 0.5f, 1), v3(0.4f, 1, 0.8f), v3(1, 0.8f, 0.9f)};
    for (int i = 0; i < 4; ++i) {
        Light l = light(i, v3(300, 0, 0), colours[i]);
        l.posTrack = track(L, [i](float ph) { return orbit(ph, 1 + i % 2, 380, 160, 380, i * 1.57f); });
        s.lights.push_back(l);
    }
    return s;
}

// ---- slot 4: test03.txt, violet roots under an orange sun with a lens flare ---------------

// Five tentacles of 13 rings each; the variants keep the topology and move every ring far.
Mesh rootsShape(int variant) {
    Mesh m;
    for (int t = 0; t < 5; ++t) {
        float base = kTwoPi * t / 5.0f;
        std::vector<V3> path;
        for (int j = 0; j < 13; ++j) {
            float k = static_cast<float>(j) / 12.0f;
            float a = base, r = 30 + 260 * k, y = -120 + 330 * k * k;
            if (variant == 1) {
                a = base + k * 4.0f;
                r = 30 + 150 * k;
                y = -120 + 120 * std::sin(k * kPi);
            }
            if (variant == 2) {
                r = 30 + 420 * k;
                y = -120 + 40 * std::sin(k * 6);
            }
            if (variant == 3) {
                a = base + k * 7.0f;
                r = 60 + 60 * std::sin(k * kPi);
                y = -160 + 480 * k;
            }
            if (variant == 4) {
                r = 30 + 60 * k;
                y = -160 + 620 * k;
                a = base + 0.3f * std::sin(k * 9);
            }
            path.push_back(v3(std::cos(a) * r, y, std::sin(a) * r));
        }
        m.append(makeTube(
            path, [](int j) { return 16.0f - 1.1f * j; }, 5));
    }
    return m;
}

Scene test03Scene() {
    Scene s;
    s.name = "test03";
    s.lastFrame = 300;
    int L = s.lastFrame;
    s.materials = {multi("roots", "test03_bark.jpg", "test03_env.jpg", v3(0.9f, 0.6f, 1.0f)),
                   plain("sky", "test03_env.jpg", v3(1.0f, 0.6f, 0.4f))};
    const char* names[5] = {"roots", "roots01", "roots02", "roots03", "roots04"};
    for (int k = 0; k < 5; ++k) {
        V3 pivot = k == 0 ? v3(0, 0, 0) : v3(0, kFarBelow, 0);
        Object o = object(names[k], rootsShape(k), 0, pivot);
        o.posTrack = track(L, [pivot](float) { return pivot; });
        if (k == 0) o.rotTrack = spin(L, v3(0, 1, 0), -1);
        s.objects.push_back(o);
    }
    Object out = object("OUT", makeSphere(1500, 20, 12), 1, v3(0, 0, 0));
    out.mesh.flipWinding();
    s.objects.push_back(out);
    Object in = object("IN", makeSphere(650, 20, 12), 1, v3(0, 0, 0));
    in.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    in.rotTrack = spin(L, v3(0.2f, 1, 0), 1);
    s.objects.push_back(in);
    s.cameras.push_back(camera(0, v3(0, 100, 800), v3(0, 50, 0), 806));
    s.cameras[0].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(ph) * 800, 120 + 80 * std::sin(ph * 2), std::cos(ph) * 800); });
    s.cameras.push_back(camera(1, v3(0, -100, 400), v3(0, 200, 0), 500));
    s.cameras[1].eyeTrack =
        track(L, [](float ph) { return v3(std::sin(ph * 2) * 400, -100, std::cos(ph * 2) * 400); });
    s.cameras.push_back(camera(2, v3(500, 600, 0), v3(0, 0, 0), 781));
    s.cameras[2].eyeTrack =
        track(L, [](float ph) { return v3(std::cos(ph) * 500, 600, std::sin(ph) * 500); });
    s.cameras.push_back(camera(3, v3(0, 50, 1300), v3(0, 50, 0), 1300));
    s.cameras[3].eyeTrack =
        track(L, [](float ph) { return v3(300 * std::sin(ph), 50 + 100 * std::sin(ph * 3), 1300); });
    s.cameras.push_back(camera(4, v3(0, 0, 250), v3(0, 100, 0), 270));
    s.cameras[4].eyeTrack = track(
        L, [](float ph) { return v3(std::sin(-ph) * 260, 20 * std::sin(ph * 4), std::cos(-ph) * 260); });
    // Second-act cameras: from below looking up through the roots at the sun, along one
    // tendril, and a wide view from behind the sun.
    s.cameras.push_back(camera(5, v3(0, -420, 120), v3(0, 300, 0), 731));
    s.cameras[5].eyeTrack =
        track(L, [](float ph) { return v3(120 * std::sin(ph * 2), -420, 120 * std::cos(ph * 2)); });
    s.cameras.push_back(camera(6, v3(330, 120, 60), v3(0, 60, 0), 343));
    s.cameras[6].eyeTrack = track(
        L, [](float ph) { return v3(std::cos(ph) * 330, 120 + 60 * std::sin(ph * 2), std::sin(ph) * 330); });
    s.cameras[6].targetTrack =
        track(L, [](float ph) { return v3(std::cos(ph + 0.8f) * 120, 80, std::sin(ph + 0.8f) * 120); });
    s.cameras.push_back(camera(7, v3(0, 650, -1000), v3(0, 0, 0), 1193));
    s.cameras[7].eyeTrack =
        track(L, [](float ph) { return v3(500 * std::sin(ph), 650 - 150 * std::cos(ph * 2), -1000); });
    Light l0 = light(0, v3(0, 500, 0), v3(1, 0.7f, 0.5f));
    l0.posTrack = track(L, [](float ph) { return v3(200 * std::sin(ph), 500, 200 * std::cos(ph)); });
    s.lights.push_back(l0);
    Light l1 = light(1, v3(0, 300, -500), v3(1, 0.6f, 0.3f));
    l1.posTrack = track(
        L, [](float ph) { return v3(450 * std::sin(ph), 260 + 60 * std::sin(ph * 2), -450 * std::cos(ph)); });
    s.lights.push_back(l1);
    return s;
}

// ---- slot 5: test04.txt, a fire cave with a spiked core and six particle lights -----------

Scene test04Scene() {
    Scene s;
    s.name = "test04";
    s.lastFrame = 300;
    int L = s.lastFrame;
    s.materials = {glowing(plain("lava", "test04_lava.jpg", v3(1.0f, 0.5f, 0.2f)), 3.0f),
                   plain("rock", "test04_rock.jpg", v3(0.8f, 0.4f, 0.3f))};
    Mesh cave = makeSphere(3200, 24, 16);
    displaceRadial(cave, v3(0, 0, 0),
                   [](V3 d) { return 500.0f * (fbm(d.x * 3 + 5, d.z * 3 + d.y * 2, 3) - 0.5f); });
    cave.flipWinding();
    Object cova = object("COVA", cave, 1, v3(0, 0, 0));
    cova.posTrack = track(L, [](float) { return v3(0, 0, 0); });
    cova.rotTrack = spin(L, v3(0, 1, 0), -1);
    s.objects.push_back(cova);
    Mesh core = makeSphere(1, 12, 8);
    displaceRadial(core, v3(0, 0, 0),
                   [](V3 d) { return 150.0f + 170.0f * std::pow(std::fabs(d.x * d.y * d.z) * 5.0f, 0.6f); });
    Object centre = object("CENTRE", core, 0, v3(0, 0, 0));
    centre.posTrack = track(L, [](float ph) { return v3(0, 40 * std::sin(ph * 2), 0); });
    centre.rotTrack = spin(L, v3(0.3f, 1, 0.2f), 2);
    s.objects.push_back(centre);
    s.cameras.push_back(camera(0, v3(0, 300, 1900), v3(0, 0, 0), 1923));
    s.cameras[0].eyeTrack = track(L, [](float ph) {
        return v3(std::sin(ph) * 1900, 300 + 300 * std::sin(ph * 2), std::cos(ph) * 1900);
    });
    // Second-act cameras: a close low orbit, a view from high above, a fly-by through the lights.
    s.cameras.push_back(camera(1, v3(0, -80, 950), v3(0, 60, 0), 962));
    s.cameras[1].eyeTrack = track(L, [](float ph) {
        return v3(std::sin(-ph * 2) * 950, -80 + 60 * std::sin(ph * 3), std::cos(-ph * 2) * 950);
    });
    s.cameras.push_back(camera(2, v3(0, 2000, 200), v3(0, 0, 0), 2011));
    s.cameras[2].eyeTrack =
        track(L, [](float ph) { return v3(400 * std::sin(ph), 2000, 400 * std::cos(ph)); });
    s.cameras.push_back(camera(3, v3(1400, 100, 0), v3(0, 0, 0), 1404));
    s.cameras[3].eyeTrack = track(L, [](float ph) {
        return v3(std::cos(ph * 3) * (1000 + 400 * std::sin(ph)), 150 * std::sin(ph * 6),
                  std::sin(ph * 3) * (1000 + 400 * std::sin(ph)));
    });
    s.cameras[3].targetTrack =
        track(L, [](float ph) { return v3(200 * std::sin(ph * 2), 0, 200 * std::cos(ph * 2)); });
    const V3 colours[6] = {v3(1, 0.5f, 0.1f), v3(1, 0.3f, 0.1f), v3(1, 0.8f, 0.3f),
                           v3(1, 0.2f, 0.3f), v3(1, 0.6f, 0.2f), v3(0.9f, 0.9f, 0.5f)};
    for (int i = 0; i < 6; ++i) {
        Light l = light(i, v3(600, 0, 0), colours[i]);
        l.posTrack = track(
            L, [i](float ph) { return orbit(ph, 1 + i % 3, 600 + 80 * i, 260, 600 + 80 * i, i * 1.05f); });
        s.lights.push_back(l);
    }
    return s;
}

// ---- slot 6: fx05.txt, overlay of three spinning batons -----------------------------------

Scene fx05Scene() {
    Scene s;
    s.name = "fx05";
    s.lastFrame = 200;
    int L = s.lastFrame;
    s.materials = {plain("baton", "fx05_baton.jpg", v3(1.0f, 0.5f, 0.8f))};
    for (int k = 0; k < 3; ++k) {
        std::vector<V3> path;
        for (int j = 0; j <= 12; ++j) path.push_back(v3(-70.0f + 140.0f * j / 12.0f, 0, 0));
        Mesh m = makeTube(
            path, [](int j) { return 2.0f + 4.0f * std::sin(kPi * j / 12.0f); }, 8);
        char name[8];
        std::snprintf(name, sizeof name, "PORRA%d", k + 1);
        Object o = object(name, rotated(m, v3(0, 0, 1), k * kPi / 3), 0, v3(0, 0, 0));
        o.posTrack = track(L, [k](float ph) {
            return v3(60.0f * std::sin(ph + k * 2.1f), 25.0f * std::sin(ph * 2 + k), 0);
        });
        o.rotTrack = spin(L, v3(0, 0.2f * k, 1), k == 1 ? -3.0f : 3.0f);
        s.objects.push_back(o);
    }
    for (int c = 0; c < 4; ++c) {
        float d = 300.0f + 40.0f * c;
        s.cameras.push_back(camera(c, v3(0, 0, d), v3(0, 0, 0), d + 0.5f * c));
        s.cameras[c].eyeTrack =
            track(L, [c, d](float ph) { return v3(60 * std::sin(ph + c), 40 * std::cos(ph * 2 + c), d); });
    }
    for (int i = 0; i < 2; ++i) {
        Light l = light(i, v3(100, 50, 100), i == 0 ? v3(1, 0.6f, 0.9f) : v3(0.6f, 0.8f, 1));
        l.posTrack = track(L, [i](float ph) { return orbit(ph, 1, 150, 50, 150, i * kPi); });
        s.lights.push_back(l);
    }
    return s;
}

// ---- slot 7: fx02.txt, overlay of four iridescent discs -----------------------------------

Scene fx02Scene() {
    Scene s;
    s.name = "fx02";
    s.lastFrame = 200;
    int L = s.lastFrame;
    s.materials = {plain("disc", "fx02_disc.jpg", v3(0.9f, 0.9f, 1.0f))};
    for (int k = 0; k < 4; ++k) {
        char name[8];
        std::snprintf(name, sizeof name, "CD%d", k + 1);
        Object o =
            object(name, rotated(makeDisc(9, 60, 40), v3(1, 0, 0), kPi / 2 - 0.4f * k), 0, v3(0, 0, 0));
        o.posTrack = track(L, [k](float ph) {
            return v3(130.0f * std::cos(ph + k * kPi / 2), 50.0f * std::sin(ph * 2 + k),
                      40.0f * std::sin(ph + k * kPi / 2));
        });
        o.rotTrack = spin(L, v3(0.3f * k, 1, 0.2f), (k % 2) ? 4.0f : -4.0f);
        s.objects.push_back(o);
    }
    for (int c = 0; c < 4; ++c) {
        float d = 420.0f + 30.0f * c;
        s.cameras.push_back(camera(c, v3(0, 0, d), v3(0, 0, 0), d + 0.25f * c));
        s.cameras[c].eyeTrack =
            track(L, [c, d](float ph) { return v3(100 * std::sin(ph * (c + 1)), 60 * std::cos(ph + c), d); });
    }
    for (int i = 0; i < 8; ++i) {
        Light l = light(i, v3(100, 0, 100), v3(0.5f + 0.06f * i, 0.7f, 1.0f - 0.05f * i));
        l.posTrack = track(L, [i](float ph) { return orbit(ph, 1 + i % 2, 200, 80, 200, i * 0.785f); });
        s.lights.push_back(l);
    }
    return s;
}

// ---- scripts -------------------------------------------------------------------------------

ScriptLight scriptLight(float radius, float upper1, float lower1, float upper2, float lower2, int flare) {
    ScriptLight l;
    l.radius = radius;
    l.limits[0] = upper1;
    l.limits[1] = lower1;
    l.limits[2] = upper2;
    l.limits[3] = lower2;
    l.flare = flare;
    return l;
}

SceneScript baseScript(const Scene& scene, bool packed, std::vector<float> fovs) {
    SceneScript s;
    s.stem = scene.name;
    s.packed = packed;
    s.fovs = std::move(fovs);
    for (size_t i = 0; i < scene.lights.size(); ++i) s.lights.push_back(scriptLight(120, 30, 10, 50, 20, 1));
    return s;
}

bool makeDir(const std::string& path) {
    return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

bool writeScene(const std::string& dir, const Scene& scene, const SceneScript& script,
                const std::string& scriptName) {
    return writeText(dir + "ase/" + scene.name + ".ase", exportAse(scene)) &&
           writeText(dir + "scripts/" + scriptName, scriptText(script));
}

}  // namespace

bool writeScenes(const std::string& dir) {
    if (!makeDir(dir + "ase") || !makeDir(dir + "maps") || !makeDir(dir + "scripts")) return false;
    bool ok = writeSceneTextures(dir + "maps/");

    Scene korvo = korvoScene();
    SceneScript ks = baseScript(korvo, true, {40, 40, 20, 40, 15, 15, 12, 10});
    // The title plate is added to the picture, so its dark background leaves no rectangle.
    ks.objects = {{"blue", {"CULL: 1"}},
                  {"Box01", {"WIRED:"}},
                  {"h01", {"CULL: 1"}},
                  {"h02", {"CULL: 1"}},
                  {"INIMAGE", {"TRANSP: 1"}}};
    ok = writeScene(dir, korvo, ks, "korvo.txt") && ok;

    Scene fx01 = fx01Scene();
    SceneScript f1 = baseScript(fx01, true, {92, 80, 75, 70});
    f1.ambient[0] = 0.4f;
    f1.lights[0].coronas = "escena/Lens.k2d";
    f1.objects = {
        {"QUADS", {"CULL: 1"}}, {"QUADS01", {"CULL: 1"}}, {"SIDES", {"CULL: 1"}}, {"WALL", {"CULL: 1"}}};
    ok = writeScene(dir, fx01, f1, "fx01.txt") && ok;

    Scene t1 = test01Scene();
    SceneScript s1 = baseScript(t1, false, {80, 90, 85, 70, 75, 30});
    s1.objects = {{"OUTER", {"CULL: 1"}}, {"STAR", {"CULL: 1"}}};
    ok = writeScene(dir, t1, s1, "test01.txt") && ok;

    Scene t2 = test02Scene();
    ok = writeScene(dir, t2, baseScript(t2, true, {90, 70, 80, 80, 70, 35, 60}), "test02.txt") && ok;

    Scene t3 = test03Scene();
    SceneScript s3 = baseScript(t3, true, {80, 70, 65, 40, 100, 75, 60, 55});
    s3.objects = {{"OUT", {"CULL: 1"}}, {"IN", {"CULL: 1"}}};
    ok = writeScene(dir, t3, s3, "test03.txt") && ok;

    Scene t4 = test04Scene();
    SceneScript s4 = baseScript(t4, true, {40, 55, 50, 60});
    s4.objects = {{"COVA", {"CULL: 1"}}};
    ok = writeScene(dir, t4, s4, "test04.txt") && ok;

    // The overlay batons keep their lights' glow sprites off: the set-up gives this slot a glow
    // radius of 132, which would cover the whole picture.
    Scene f5 = fx05Scene();
    SceneScript s6 = baseScript(f5, false, {30, 30, 26, 34});
    for (ScriptLight& l : s6.lights) l.flare = 0;
    ok = writeScene(dir, f5, s6, "fx05.txt") && ok;

    Scene f2 = fx02Scene();
    SceneScript s7 = baseScript(f2, true, {45, 40, 50, 35});
    for (int k = 1; k <= 4; ++k) s7.objects.push_back({"CD" + std::to_string(k), {"CULL: 1"}});
    ok = writeScene(dir, f2, s7, "fx02.txt") && ok;
    return ok;
}

}  // namespace showgen
}  // namespace kgl
