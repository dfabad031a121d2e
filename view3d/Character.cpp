#include "view3d/Character.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

void Character::reset(float px, float pz) {
    xHistory.assign(historyLength, px);
    zHistory.assign(historyLength, pz);
    x = px;
    z = pz;
}

void Character::setColor(float red, float green, float blue) {
    r = red;
    g = green;
    b = blue;
}

void Character::setPosition(float px, float pz) {
    xHistory.push_back(px);
    zHistory.push_back(pz);
    if (!xHistory.empty() && xHistory.size() > static_cast<size_t>(historyLength)) {
        xHistory.pop_front();
        zHistory.pop_front();
    }
    x = px;
    z = pz;
}

void Character::setHeading(float vx, float vz) {
    const float squared = vx * vx + vz * vz;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    if (length > 1e-7f) {
        heading = std::acos(vx / length);
        if (vz > 0.0f) {
            heading = -heading;
        }
    } else {
        heading = 0.0f;
    }
}

void Character::draw(bool withTail) const {
    if (withTail && xHistory.size() >= static_cast<size_t>(historyLength)) {
        glLineWidth(7.0f);
        glColor3f(r, g, b);
        glBegin(GL_LINES);
        for (int k = 3; k <= historyLength; k += 3) {
            const int from = k - 3;
            const int to = std::min(k, historyLength - 1);
            glVertex3f(xHistory[from], 0.0f, zHistory[from]);
            glVertex3f(xHistory[to], 0.0f, zHistory[to]);
        }
        glEnd();
    }
    glPushMatrix();
    glColor3f(r, g, b);
    glTranslatef(x, 0.0f, z);
    glRotatef(heading / 3.14159265f * 180.0f, 0.0f, 1.0f, 0.0f);
    body.draw(1.0f);
    glPopMatrix();
}
