// Draws the wind particles with their trails in one point per particle. A small shader program
// makes each point an aliased square just wide enough for the pixels that the head and its
// three previous positions touch, and paints the four dots inside it (each smaller than the one
// before, round and antialiased), blending them as four smoothed points of the same colour drawn
// one over the other would. The particle records go to one vertex buffer as they are and are
// uploaded again only when they changed.
//
// The cost on a software rasteriser is the points' set-up and the fragments shaded, so the
// square is sized per particle in the vertex shader: at the widest zoom, where a step moves a
// particle less than a pixel, most squares are the head's width or one pixel more. The squares
// are whole pixels wide and centred on a pixel centre or corner, which makes them cover the same
// pixels as plain points or as sprites; no sprite coordinates are asked for, since turning
// points into sprites costs the rasteriser a large share of the frame and the dots are placed by
// window position. The fragment shader keeps no discard: an uncovered fragment has alpha 0,
// which the map's blending leaves unseen. GL_POINT_SMOOTH is not used: smoothed points cost
// about three times plain ones on a software rasteriser, and the shader's edges are the same on
// every adapter.
//
// Threads: used by the layer's drawing thread with the drawing context current, under the
// layer's lock. The program is made once per share group and lives as long as the group; the
// buffer belongs to the layer, which hands it back with `takeBuffer` when it goes.
#pragma once

#include "map/layers/OVGeoVertex.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <vector>

class QOpenGLContextGroup;
class QOpenGLFunctions_2_1;

class OVMapParticleTrailRenderer
{
public:
    /// Whether the current context can draw sprites: the program is made at the first call for
    /// the context's share group. False (logged once per group) when the shader cannot be
    /// built; the caller then draws plain points.
    bool prepare(QOpenGLFunctions_2_1 *gl);
    /// Puts `particles` in the buffer unless the buffer holds this `generation` of them already.
    void upload(QOpenGLFunctions_2_1 *gl, const std::vector<OVGeoVertex> &particles, uint64_t generation);
    /// Binds the program and the buffer for the draws of one frame with a head `headSize`
    /// pixels wide (each trail dot 0.8, 0.6 and 0.4 of it); turns point smoothing and sprites off.
    void begin(QOpenGLFunctions_2_1 *gl, float headSize);
    /// One draw of `count` particles from `first`, with the current model-view matrix.
    void drawRange(QOpenGLFunctions_2_1 *gl, uint64_t first, uint64_t count);
    /// Unbinds what `begin` bound and turns per-vertex point sizes off again.
    void end(QOpenGLFunctions_2_1 *gl);

    /// The buffer's name and share group, left to the caller to delete (0 when there is none).
    uint32_t takeBuffer(QPointer<QOpenGLContextGroup> *group);

    /// The radius in pixels of each of the four dots, head first, for a head of `headSize`.
    static std::array<float, 4> dotRadii(float headSize);

private:
    /// Uniform locations of the program.
    struct Uniforms
    {
        int viewport = -1;
        int outer = -1;
        int maxTrail = -1;
    };

    uint32_t mProgram = 0;
    Uniforms mUniforms;
    uint32_t mBuffer = 0;
    uint64_t mBufferBytes = 0;
    uint64_t mUploadedGeneration = 0;
    bool mUploaded = false;
    float mMaxPointSize = 64.0f;
    QPointer<QOpenGLContextGroup> mGroup;
};
