#include "map/layers/OVMapParticleTrailRenderer.h"

#include "map/gl/OVCurrentGL.h"
#include "platform/OVLog.h"

#include <QOpenGLContext>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <unordered_map>

namespace {

// One point per particle, just large enough for the pixels its four dots touch; the dots'
// centres go to the fragments in window coordinates. The point is an aliased square of a whole
// number of pixels centred on a pixel centre (odd width) or a pixel corner (even width), so it
// covers the same pixels whether the context rasterises points as squares or as sprites, and
// the rasteriser does no sprite set-up. A particle whose trail lies within its head (the usual
// case at the widest zoom, where a step moves less than a pixel) draws a square of the head's
// width alone. A dot farther from the head than `maxTrail` pixels in either direction is a jump
// (the particle was put back on its lattice point, or crossed the edge of the plane), not a
// trail: it is left out, so no point grows across the map.
constexpr const char *kVertexShader = R"(#version 120
attribute vec3 head;
attribute vec3 trail1;
attribute vec3 trail2;
attribute vec3 trail3;
attribute vec4 colour;
uniform vec4 viewport;
uniform vec4 outer;
uniform float maxTrail;
varying vec4 dotColour;
varying vec4 dots01;
varying vec4 dots23;

vec2 inWindow(vec4 clip)
{
    return (clip.xy / clip.w * 0.5 + 0.5) * viewport.zw + viewport.xy;
}

void main()
{
    dotColour = colour;
    vec4 clip = gl_ModelViewProjectionMatrix * vec4(head, 1.0);
    if (colour.a <= 0.0) {
        // Invisible: outside the clip volume, so nothing is rasterised.
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        gl_PointSize = 1.0;
        dots01 = vec4(0.0);
        dots23 = vec4(0.0);
        return;
    }
    vec2 p0 = inWindow(clip);
    vec2 p1 = inWindow(gl_ModelViewProjectionMatrix * vec4(trail1, 1.0));
    vec2 p2 = inWindow(gl_ModelViewProjectionMatrix * vec4(trail2, 1.0));
    vec2 p3 = inWindow(gl_ModelViewProjectionMatrix * vec4(trail3, 1.0));
    vec2 far = vec2(maxTrail);
    bool keep1 = all(lessThanEqual(abs(p1 - p0), far));
    bool keep2 = all(lessThanEqual(abs(p2 - p0), far));
    bool keep3 = all(lessThanEqual(abs(p3 - p0), far));
    // The box of what the dots reach, their antialiased edges included.
    vec2 lo = p0 - outer.x;
    vec2 hi = p0 + outer.x;
    if (keep1) {
        lo = min(lo, p1 - outer.y);
        hi = max(hi, p1 + outer.y);
    }
    if (keep2) {
        lo = min(lo, p2 - outer.z);
        hi = max(hi, p2 + outer.z);
    }
    if (keep3) {
        lo = min(lo, p3 - outer.w);
        hi = max(hi, p3 + outer.w);
    }
    // The pixels (centres at i + 0.5) whose centre lies inside the box, first and last per axis;
    // the square is as wide as the longer run, its centre moved half a pixel along the shorter
    // one when the runs' parities differ.
    vec2 first = floor(lo - 0.5) + 1.0;
    vec2 last = ceil(hi - 0.5) - 1.0;
    vec2 count = max(last - first + 1.0, 1.0);
    float width = max(count.x, count.y);
    vec2 centre = 0.5 * (first + last + 1.0) + 0.5 * mod(width - count, 2.0);
    gl_PointSize = width;
    gl_Position = vec4(((centre - viewport.xy) / viewport.zw * 2.0 - 1.0) * clip.w, clip.z, clip.w);
    // A dot left out goes far off, where it covers nothing.
    vec2 away = vec2(1.0e6);
    dots01 = vec4(p0, keep1 ? p1 : away);
    dots23 = vec4(keep2 ? p2 : away, keep3 ? p3 : away);
}
)";

// Each dot's coverage of the fragment, then the four dots of one colour composited over each
// other: what four blended draws of the same point would leave. A fragment no dot covers comes
// out with alpha 0, which the map's blending leaves unseen (and its alpha test drops); a
// discard here would cost more than it saves on a software rasteriser.
constexpr const char *kFragmentShader = R"(#version 120
uniform vec4 outer;
varying vec4 dotColour;
varying vec4 dots01;
varying vec4 dots23;

void main()
{
    vec4 dx = gl_FragCoord.xxxx - vec4(dots01.x, dots01.z, dots23.x, dots23.z);
    vec4 dy = gl_FragCoord.yyyy - vec4(dots01.y, dots01.w, dots23.y, dots23.w);
    vec4 cover = clamp(outer - sqrt(dx * dx + dy * dy), 0.0, 1.0);
    vec4 through = 1.0 - dotColour.a * cover;
    gl_FragColor = vec4(dotColour.rgb, 1.0 - through.x * through.y * through.z * through.w);
}
)";

enum Attribute : GLuint { Head = 0, Trail1, Trail2, Trail3, Colour };

struct GroupProgram
{
    GLuint program = 0; // 0: could not be built in this group
    GLint viewport = -1;
    GLint outer = -1;
    GLint maxTrail = -1;
    float maxPointSize = 64.0f;
};

std::mutex &programsMutex()
{
    static std::mutex mutex;
    return mutex;
}

/// The program of each share group; an entry goes with its group (and the program with it).
std::unordered_map<const QOpenGLContextGroup *, GroupProgram> &programs()
{
    static std::unordered_map<const QOpenGLContextGroup *, GroupProgram> table;
    return table;
}

GLuint compiledShader(QOpenGLFunctions_2_1 *gl, GLenum type, const char *source)
{
    const GLuint shader = gl->glCreateShader(type);
    gl->glShaderSource(shader, 1, &source, nullptr);
    gl->glCompileShader(shader);
    GLint ok = GL_FALSE;
    gl->glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE)
        return shader;
    char log[1024] = {};
    gl->glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    OVLog(QStringLiteral("[OVMapParticleTrailRenderer] The particle shader does not compile: %1")
              .arg(QString::fromLatin1(log)));
    gl->glDeleteShader(shader);
    return 0;
}

GroupProgram builtProgram(QOpenGLFunctions_2_1 *gl)
{
    GroupProgram result;
    const GLuint vertex = compiledShader(gl, GL_VERTEX_SHADER, kVertexShader);
    const GLuint fragment = vertex ? compiledShader(gl, GL_FRAGMENT_SHADER, kFragmentShader) : 0;
    if (!vertex || !fragment) {
        if (vertex)
            gl->glDeleteShader(vertex);
        return result;
    }
    const GLuint program = gl->glCreateProgram();
    gl->glAttachShader(program, vertex);
    gl->glAttachShader(program, fragment);
    gl->glBindAttribLocation(program, Head, "head");
    gl->glBindAttribLocation(program, Trail1, "trail1");
    gl->glBindAttribLocation(program, Trail2, "trail2");
    gl->glBindAttribLocation(program, Trail3, "trail3");
    gl->glBindAttribLocation(program, Colour, "colour");
    gl->glLinkProgram(program);
    // The program keeps what it needs; the shaders go when it goes.
    gl->glDeleteShader(vertex);
    gl->glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    gl->glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        gl->glGetProgramInfoLog(program, sizeof log, nullptr, log);
        OVLog(QStringLiteral("[OVMapParticleTrailRenderer] The particle program does not link: %1")
                  .arg(QString::fromLatin1(log)));
        gl->glDeleteProgram(program);
        return result;
    }
    result.program = program;
    result.viewport = gl->glGetUniformLocation(program, "viewport");
    result.outer = gl->glGetUniformLocation(program, "outer");
    result.maxTrail = gl->glGetUniformLocation(program, "maxTrail");
    GLfloat range[2] = {1.0f, 64.0f};
    gl->glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, range);
    result.maxPointSize = std::max(range[1], 1.0f);
    return result;
}

/// The program of the current context's group, made on first use.
GroupProgram programForGroup(QOpenGLFunctions_2_1 *gl, QOpenGLContextGroup *group)
{
    const std::lock_guard lock(programsMutex());
    auto found = programs().find(group);
    if (found != programs().end())
        return found->second;
    const GroupProgram made = builtProgram(gl);
    programs().emplace(group, made);
    QObject::connect(group, &QObject::destroyed, [group] {
        const std::lock_guard lock(programsMutex());
        programs().erase(group);
    });
    return made;
}

} // namespace

std::array<float, 4> OVMapParticleTrailRenderer::dotRadii(float headSize)
{
    constexpr float scales[4] = {1.0f, 0.8f, 0.6f, 0.4f};
    std::array<float, 4> radii{};
    for (size_t k = 0; k < radii.size(); ++k)
        radii[k] = 0.5f * headSize * scales[k];
    return radii;
}

bool OVMapParticleTrailRenderer::prepare(QOpenGLFunctions_2_1 *gl)
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!gl || !context)
        return false;
    QOpenGLContextGroup *group = context->shareGroup();
    if (mGroup != group) {
        // A buffer of another group cannot be deleted from here; a group that is gone took its
        // buffer with it. Either way this group needs its own.
        if (mBuffer && mGroup)
            OVLog(QStringLiteral("[OVMapParticleTrailRenderer] Drawn in another share group; the old buffer is left."));
        mBuffer = 0;
        mBufferBytes = 0;
        mUploaded = false;
        mGroup = group;
    }
    const GroupProgram program = programForGroup(gl, group);
    mProgram = program.program;
    mMaxPointSize = program.maxPointSize;
    mUniforms = {program.viewport, program.outer, program.maxTrail};
    return mProgram != 0;
}

void OVMapParticleTrailRenderer::upload(QOpenGLFunctions_2_1 *gl, const std::vector<OVGeoVertex> &particles,
                                        uint64_t generation)
{
    const uint64_t bytes = particles.size() * sizeof(OVGeoVertex);
    if (mBuffer && mUploaded && mUploadedGeneration == generation && mBufferBytes == bytes)
        return;
    if (!mBuffer)
        gl->glGenBuffers(1, &mBuffer);
    gl->glBindBuffer(GL_ARRAY_BUFFER, mBuffer);
    if (bytes != mBufferBytes) {
        gl->glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(bytes), particles.data(), GL_STREAM_DRAW);
        mBufferBytes = bytes;
    } else if (bytes > 0) {
        gl->glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(bytes), particles.data());
    }
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    mUploadedGeneration = generation;
    mUploaded = true;
}

void OVMapParticleTrailRenderer::begin(QOpenGLFunctions_2_1 *gl, float headSize)
{
    const Uniforms &uniforms = mUniforms;
    GLint viewport[4] = {0, 0, 1, 1};
    gl->glGetIntegerv(GL_VIEWPORT, viewport);
    const std::array<float, 4> radii = dotRadii(headSize);
    gl->glUseProgram(mProgram);
    gl->glUniform4f(uniforms.viewport, float(viewport[0]), float(viewport[1]), float(viewport[2]),
                    float(viewport[3]));
    // Each dot's antialiased edge runs half a pixel past its radius.
    gl->glUniform4f(uniforms.outer, radii[0] + 0.5f, radii[1] + 0.5f, radii[2] + 0.5f, radii[3] + 0.5f);
    // The whole square (trail on both sides of the head at worst, a pixel for the rounding to
    // whole pixels) within the largest point.
    gl->glUniform1f(uniforms.maxTrail, std::max(0.0f, 0.5f * (mMaxPointSize - 2.0f * (radii[0] + 0.5f) - 2.0f)));
    // Aliased squares: no smoothing, no sprite coordinates (the dots are placed by window
    // position, and the square covers the same pixels either way).
    gl->glDisable(GL_POINT_SMOOTH);
    gl->glDisable(GL_POINT_SPRITE);
    gl->glEnable(GL_VERTEX_PROGRAM_POINT_SIZE);

    gl->glBindBuffer(GL_ARRAY_BUFFER, mBuffer);
    constexpr GLsizei stride = sizeof(OVGeoVertex);
    const auto at = [](size_t offset) { return reinterpret_cast<const void *>(offset); };
    gl->glVertexAttribPointer(Head, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(OVGeoVertex, x0)));
    gl->glVertexAttribPointer(Trail1, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(OVGeoVertex, x1)));
    gl->glVertexAttribPointer(Trail2, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(OVGeoVertex, x2)));
    gl->glVertexAttribPointer(Trail3, 3, GL_FLOAT, GL_FALSE, stride, at(offsetof(OVGeoVertex, x3)));
    gl->glVertexAttribPointer(Colour, 4, GL_FLOAT, GL_FALSE, stride, at(offsetof(OVGeoVertex, red)));
    for (GLuint attribute : {Head, Trail1, Trail2, Trail3, Colour})
        gl->glEnableVertexAttribArray(attribute);
}

void OVMapParticleTrailRenderer::drawRange(QOpenGLFunctions_2_1 *gl, uint64_t first, uint64_t count)
{
    if (count > 0)
        gl->glDrawArrays(GL_POINTS, GLint(first), GLsizei(count));
}

void OVMapParticleTrailRenderer::end(QOpenGLFunctions_2_1 *gl)
{
    for (GLuint attribute : {Head, Trail1, Trail2, Trail3, Colour})
        gl->glDisableVertexAttribArray(attribute);
    gl->glBindBuffer(GL_ARRAY_BUFFER, 0);
    gl->glDisable(GL_VERTEX_PROGRAM_POINT_SIZE);
    gl->glUseProgram(0);
}

uint32_t OVMapParticleTrailRenderer::takeBuffer(QPointer<QOpenGLContextGroup> *group)
{
    const uint32_t buffer = mBuffer;
    *group = mGroup;
    mBuffer = 0;
    mBufferBytes = 0;
    mUploaded = false;
    return buffer;
}
