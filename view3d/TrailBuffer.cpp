#include "view3d/TrailBuffer.h"

#include <GL/gl.h>

void TrailBuffer::initialise() {
    GLint redBits = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &redBits);
    hardware = redBits > 0;
}

void TrailBuffer::resize(int w, int h) {
    width = w > 0 ? w : 0;
    height = h > 0 ? h : 0;
    if (!hardware) {
        memory.resize(width * height);
        pixels.assign(static_cast<size_t>(width) * height * 4, 0.0f);
        memory.clear(clearColour);
    }
}

void TrailBuffer::setClearColour(float r, float g, float b, float a) {
    clearColour[0] = r;
    clearColour[1] = g;
    clearColour[2] = b;
    clearColour[3] = a;
    if (hardware) {
        glClearAccum(r, g, b, a);
    }
}

void TrailBuffer::clear() {
    if (hardware) {
        glClear(GL_ACCUM_BUFFER_BIT);
    } else {
        memory.clear(clearColour);
    }
}

void TrailBuffer::accumulate(float value) {
    if (hardware) {
        glAccum(GL_ACCUM, value);
        return;
    }
    if (pixels.empty()) {
        return;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_FLOAT, pixels.data());
    memory.accumulate(pixels.data(), value);
}

void TrailBuffer::returnToColour(float value) {
    if (hardware) {
        glAccum(GL_RETURN, value);
        return;
    }
    if (pixels.empty()) {
        return;
    }
    memory.returnTo(pixels.data(), value);
    // Write the pixels over the whole viewport, untouched by the scene's matrices and depth.
    glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(-1.0f, -1.0f);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(width, height, GL_RGBA, GL_FLOAT, pixels.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
