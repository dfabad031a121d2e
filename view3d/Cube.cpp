#include "view3d/Cube.h"

#include <GL/gl.h>

void Cube::draw(float scale) const {
    const float R = scale * halfSize;
    const float ring[8][2] = {{R, 0},  {0.7f * R, 0.7f * R},   {0, R},  {-0.7f * R, 0.7f * R},
                              {-R, 0}, {-0.7f * R, -0.7f * R}, {0, -R}, {0.7f * R, -0.7f * R}};
    glNormal3f(0.0f, 1.0f, 0.0f);
    glLineWidth(0.1f);
    glBegin(GL_LINES);
    for (int i = 0; i < 8; ++i) {
        const float* from = ring[i];
        const float* to = ring[(i + 1) % 8];
        glVertex3f(from[0], 0.0f, from[1]);
        glVertex3f(to[0], 0.0f, to[1]);
    }
    glEnd();
    glBegin(GL_TRIANGLES);
    glVertex3f(-0.3f * R, 0.0f, 0.0f);
    glVertex3f(R, 0.0f, 0.0f);
    glVertex3f(-0.7f * R, 0.0f, 0.7f * R);
    glVertex3f(-0.3f * R, 0.0f, 0.0f);
    glVertex3f(R, 0.0f, 0.0f);
    glVertex3f(-0.7f * R, 0.0f, -0.7f * R);
    glEnd();
}
