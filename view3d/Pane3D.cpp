#include "view3d/Pane3D.h"

#include <GL/glu.h>

#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "data/Experiment.h"
#include "models/Simulation.h"
#include "run/Record.h"

namespace {

constexpr float defaultSpeed = 0.025f;  // time units per 25 ms tick: real time
constexpr float tanThirty = 0.577350269f;
constexpr float degrees = 3.14159265f / 180.0f;
// A picked pedestrian: amber, unlike any shade of the measured red or the simulated blue.
constexpr float highlightColour[3] = {1.0f, 0.7f, 0.0f};
// The measurement area in green and its line in purple: apart from the figures' red, blue and
// amber, and from the grey grid.
constexpr float areaColour[3] = {0.0f, 0.55f, 0.0f};
constexpr float lineColour[3] = {0.6f, 0.0f, 0.6f};
// Half the vertical field of view that paintGL's projection uses (degrees).
constexpr float halfFieldOfView = 35.0f;
// Metres above the ground: over the grid (drawn just below it), under any figure.
constexpr float overlayHeight = 0.01f;
// Pixels: the overlay reads at any zoom, a corner being clicked stands out as a dot.
constexpr float overlayWidth = 3.0f;
constexpr float cornerSize = 8.0f;

QGLFormat formatWithAccumulation() {
    QGLFormat format;
    format.setAccum(true);
    return format;
}

}  // namespace

Pane3D::Pane3D(QWidget* parent, Record* shown)
    : QGLWidget(formatWithAccumulation(), parent), record(shown) {
    timer = new QTimer(this);
    rebuild();
    timer->setInterval(25);
    timer->setSingleShot(false);
    connect(timer, SIGNAL(timeout()), this, SLOT(updateGL()));
    connect(timer, SIGNAL(timeout()), this, SLOT(p_idle()));
    timer->start();
}

Pane3D::~Pane3D() = default;

void Pane3D::widenBounds(float x, float z) {
    xMin = std::min(xMin, x);
    xMax = std::max(xMax, x);
    zMin = std::min(zMin, z);
    zMax = std::max(zMax, z);
}

void Pane3D::rebuild() {
    record->reset();
    const Experiment& e = *record->boundExperiment();
    const int P = e.pedestrianCount;
    const int F = e.frameCount;
    xMin = xMax = zMin = zMax = 0.0f;
    if (P > 0 && F > 0) {
        const std::ptrdiff_t first = e.sampleIndex(0, e.presentFirst[0]);
        xMin = xMax = e.posX[first];
        zMin = zMax = -e.posY[first];
    }
    if (e.timeDriven) {
        for (int p = 0; p < P; ++p) {
            for (int k = e.presentFirst[p]; k <= e.presentLast[p]; ++k) {
                const std::ptrdiff_t i = e.sampleIndex(p, k);
                widenBounds(e.posX[i], -e.posY[i]);
            }
        }
    } else {
        for (size_t p = 0; p < e.waypointX.size(); ++p) {
            for (size_t w = 0; w < e.waypointX[p].size() && w < e.waypointY[p].size(); ++w) {
                widenBounds(e.waypointX[p][w], -e.waypointY[p][w]);
            }
        }
    }
    for (const Segment& o : e.obstacles) {
        widenBounds(o.x1, -o.y1);
        widenBounds(o.x2, -o.y2);
    }
    resetCamera();
    // The view keeps showing its time after a new run, with the new figures starting their
    // tails there.
    showTime();
    resetFigures();
    busy = false;
    if (paused) {
        paused = false;
        timer->start();
    }
}

void Pane3D::pause() {
    busy = true;
    paused = true;
    timer->stop();
}

void Pane3D::resetCamera() {
    cameraX = (xMin + xMax) / 2.0f;
    cameraZ = (zMin + zMax) / 2.0f;
    halfExtent = std::max(xMax - cameraX, zMax - cameraZ);
    // An empty scene, or one of a single point, still gets a camera above it.
    cameraHeight = (halfExtent > 0.0f ? halfExtent : 1.0f) / tanThirty;
    restartTrails();
}

float Pane3D::playbackDuration() const {
    const Experiment& e = *record->boundExperiment();
    if (e.frameCount < 1) {
        return 0.0f;
    }
    const float last = e.times[e.frameCount - 1];
    if (!e.timeDriven) {
        return static_cast<float>(record->boundSimulation()->frameCount()) * last;
    }
    return last;
}

void Pane3D::p_idle() {
    if (busy) {
        return;
    }
    const float D = playbackDuration();
    if (playing) {
        time += speed;
    }
    if (D < time) {
        time = 0.0f;
        showTime();
        resetFigures();
        return;
    }
    showTime();
}

void Pane3D::showTime() {
    const float D = playbackDuration();
    // A run of one frame (or one ending at time 0) has no duration: show its start.
    float position = D > 0.0f ? time / D : 0.0f;
    if (!(position >= 0.0f)) {
        position = 0.0f;
    }
    position = std::min(position, 1.0f);
    shownFraction = position;
    const int slider = static_cast<int>(std::lround(position * 99.0f));
    if (slider != shownPosition) {
        shownPosition = slider;
        emit timePositionChanged(slider);
    }
}

void Pane3D::setShowExp(int state) {
    showExp = state == 2;
}
void Pane3D::setShowRec(int state) {
    showRec = state == 2;
}
void Pane3D::setShowSim(int state) {
    showSim = state == 2;
}
void Pane3D::setAnim(bool play) {
    playing = play;
}
void Pane3D::setPath(int state) {
    paths = state == 2;
}
void Pane3D::setTail(int state) {
    tails = state == 2;
}
void Pane3D::setColor(int state) {
    colors = state == 2;
}
void Pane3D::setAnim() {
    playing = !playing;
}

void Pane3D::resetAnim() {
    time = 0.0f;
    showTime();
    resetFigures();
    restartTrails();
}

void Pane3D::speedUp() {
    speed *= 1.5f;
}
void Pane3D::speedDown() {
    speed /= 1.5f;
}
void Pane3D::speedOneOne() {
    speed = defaultSpeed;
}

void Pane3D::setTimePosition(int value) {
    playing = false;
    time = static_cast<float>(value) / 99.0f * playbackDuration();
    showTime();
    resetFigures();
}

std::ptrdiff_t Pane3D::experimentSample(int p) const {
    const Experiment& e = *record->boundExperiment();
    if (e.frameCount < 1) {
        return -1;
    }
    int frame = static_cast<int>(static_cast<float>(e.frameCount - 1) * shownFraction);
    frame = std::min(std::max(frame, 0), e.frameCount - 1);
    // A pedestrian who has not come yet, or has gone, is not drawn.
    return e.isPresent(p, frame) ? e.sampleIndex(p, frame) : -1;
}

int Pane3D::simulationSample(int i) const {
    const Simulation& s = *record->boundSimulation();
    const int available = static_cast<int>(s.recordedX()[i].size());
    if (available < 1) {
        return -1;
    }
    const int frame = static_cast<int>(static_cast<float>(s.frameCount() - 1) * shownFraction);
    if (!s.recordedFrom().empty()) {
        // The agent's recording covers its presence only.
        const int sample = frame - s.recordedFrom()[i];
        return sample >= 0 && sample < available ? sample : -1;
    }
    return std::min(std::max(frame, 0), available - 1);
}

void Pane3D::resetFigures() {
    const Experiment& e = *record->boundExperiment();
    const Simulation& s = *record->boundSimulation();
    for (size_t p = 0; p < experimentFigures.size(); ++p) {
        const std::ptrdiff_t k = experimentSample(static_cast<int>(p));
        if (k >= 0) {
            experimentFigures[p].reset(e.posX[k], -e.posY[k]);
        } else {
            experimentFigures[p].reset(0.0f, 0.0f);
        }
    }
    for (size_t i = 0; i < simulationFigures.size(); ++i) {
        const int m = i < s.recordedX().size() ? simulationSample(static_cast<int>(i)) : -1;
        if (m >= 0) {
            simulationFigures[i].reset(s.recordedX()[i][m], -s.recordedY()[i][m]);
        } else {
            simulationFigures[i].reset(0.0f, 0.0f);
        }
    }
}

void Pane3D::initializeGL() {
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    trails.initialise();
    trails.setClearColour(0.0f, 0.0f, 0.0f, 0.0f);
    trails.clear();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, 1.0, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    experimentFigures.assign(std::max(record->boundExperiment()->pedestrianCount, 0), Character());
    simulationFigures.assign(std::max(record->boundSimulation()->agentCount(), 0), Character());
    resetFigures();
    resizeGL(500, 500);
}

void Pane3D::resizeGL(int w, int h) {
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70.0, h > 0 ? static_cast<double>(w) / h : 1.0, 0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    trails.resize(w, h);
}

void Pane3D::paintGL() {
    if (busy) {
        return;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    figuresDrawn = 0;
    if (trailsRestart) {
        // The state of a freshly switched-on "Paths": a white picture, the grid drawn again.
        trails.setClearColour(1.0f, 1.0f, 1.0f, 1.0f);
        trails.clear();
        trailsStarted = false;
        gridInTrails = false;
        trailsRestart = false;
    }
    if (paths) {
        trails.returnToColour(1.0f);
        trails.clear();
    } else {
        trails.clear();
        trailsStarted = false;
        gridInTrails = false;
    }
    glLoadIdentity();
    glRotatef(-yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(-pitch, std::cos(yaw * degrees), 0.0f, -std::sin(yaw * degrees));
    glTranslatef(-cameraX, -cameraHeight, -cameraZ);
    if (!gridInTrails) {
        trails.setClearColour(1.0f, 1.0f, 1.0f, 1.0f);
        drawGrid();
    }
    if (showExp) {
        drawExperiment();
    }
    if (showRec) {
        drawLinks();
    }
    if (showSim) {
        drawSimulation();
    }
    drawObstacles();
    if (trailsStarted) {
        gridInTrails = true;
    }
    if (paths) {
        trails.accumulate(1.0f);
        trailsStarted = true;
        trails.setClearColour(0.0f, 0.0f, 0.0f, 1.0f);
    }
    // After the accumulation, so that a changed area leaves no copy of the old one in the paths.
    drawOverlay();
    if (captureFrames) {
        QImage frame(width(), height(), QImage::Format_RGBA8888);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width(), height(), GL_RGBA, GL_UNSIGNED_BYTE, frame.bits());
        lastFrame = frame.mirrored();
    }
}

void Pane3D::drawGrid() const {
    glColor4f(0.5f, 0.5f, 0.5f, 0.0f);
    glLineWidth(0.25f);
    glBegin(GL_LINES);
    for (float i = std::ceil(xMin - 5.0f); i < xMax + 5.0f; i += 1.0f) {
        glVertex3f(i, -0.01f, zMin - 5.0f);
        glVertex3f(i, -0.01f, zMax + 5.0f);
    }
    for (float i = std::ceil(zMin - 5.0f); i < zMax + 5.0f; i += 1.0f) {
        glVertex3f(xMin - 5.0f, -0.01f, i);
        glVertex3f(xMax + 5.0f, -0.01f, i);
    }
    glEnd();
}

void Pane3D::drawExperiment() {
    const Experiment& e = *record->boundExperiment();
    const int P = static_cast<int>(experimentFigures.size());
    const float c = colors ? 1.0f : 0.0f;
    for (int j = 0; j < P; ++j) {
        const std::ptrdiff_t k = experimentSample(j);
        if (k < 0) {
            continue;
        }
        Character& figure = experimentFigures[j];
        figure.setColor(0.75f, static_cast<float>(j + 1) * c / static_cast<float>(P) / 1.5f, 0.0f);
        if (j == highlight) {
            figure.setColor(highlightColour[0], highlightColour[1], highlightColour[2]);
        }
        figure.setPosition(e.posX[k], -e.posY[k]);
        figure.setHeading(e.velX[k], -e.velY[k]);
        figure.draw(tails);
        ++figuresDrawn;
    }
}

void Pane3D::drawLinks() const {
    const Experiment& e = *record->boundExperiment();
    const Simulation& s = *record->boundSimulation();
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    const int pairs = std::min(e.pedestrianCount, s.agentCount());
    for (int j = 0; j < pairs; ++j) {
        const std::ptrdiff_t k = experimentSample(j);
        const int m = simulationSample(j);
        if (k < 0 || m < 0) {
            continue;
        }
        glColor3f(0.75f, 0.0f, 0.0f);
        glVertex3f(e.posX[k], 0.0f, -e.posY[k]);
        glColor3f(0.0f, 0.0f, 0.75f);
        glVertex3f(s.recordedX()[j][m], 0.0f, -s.recordedY()[j][m]);
    }
    glEnd();
}

void Pane3D::drawSimulation() {
    const Simulation& s = *record->boundSimulation();
    const int A = static_cast<int>(simulationFigures.size());
    const float c = colors ? 1.0f : 0.0f;
    for (int i = 0; i < A && i < s.agentCount(); ++i) {
        const int m = simulationSample(i);
        if (m < 0) {
            continue;
        }
        Character& figure = simulationFigures[i];
        figure.setColor(0.0f, static_cast<float>(i + 1) * c / static_cast<float>(A) / 1.5f, 0.75f);
        if (i == highlight) {
            figure.setColor(highlightColour[0], highlightColour[1], highlightColour[2]);
        }
        figure.setPosition(s.recordedX()[i][m], -s.recordedY()[i][m]);
        figure.setHeading(s.recordedVX()[i][m], -s.recordedVY()[i][m]);
        figure.draw(tails);
        ++figuresDrawn;
    }
}

void Pane3D::drawObstacles() const {
    const Experiment& e = *record->boundExperiment();
    const Simulation& s = *record->boundSimulation();
    glLineWidth(2.0f);
    glColor3f(0.75f, 0.0f, 0.0f);
    glBegin(GL_LINES);
    for (size_t i = 0; i < e.obstacles.size(); ++i) {
        // The second end point is the simulation's copy of the segment.
        const Segment& end = i < s.obstacles().size() ? s.obstacles()[i] : e.obstacles[i];
        glVertex3f(e.obstacles[i].x1, 0.0f, -e.obstacles[i].y1);
        glVertex3f(end.x2, 0.0f, -end.y2);
    }
    glEnd();
}

void Pane3D::setOverlay(const GroundOverlay& shown) {
    if (shown == ground) {
        return;
    }
    ground = shown;
    if (ground.picking) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
    update();
}

QPointF Pane3D::groundPoint(const QPoint& pixel) const {
    // The camera looks straight down on the ground from cameraHeight (paintGL's rotation by the
    // pitch of -90°), so a pixel's offset from the view's centre scales linearly to metres: the
    // top edge is tan(35°) × height above the centre. The view's up is the experiment's +y.
    const float w = static_cast<float>(std::max(width(), 1));
    const float h = static_cast<float>(std::max(height(), 1));
    const float halfHeight = std::tan(halfFieldOfView * degrees) * cameraHeight;
    const float right = (2.0f * static_cast<float>(pixel.x()) / w - 1.0f) * halfHeight * w / h;
    const float up = (1.0f - 2.0f * static_cast<float>(pixel.y()) / h) * halfHeight;
    return QPointF(cameraX + right, -cameraZ + up);
}

void Pane3D::drawOverlay() const {
    const auto vertices = [](const std::vector<QPointF>& points) {
        for (const QPointF& p : points) {
            glVertex3f(static_cast<float>(p.x()), overlayHeight, -static_cast<float>(p.y()));
        }
    };
    glLineWidth(overlayWidth);
    glPointSize(cornerSize);
    glColor3f(areaColour[0], areaColour[1], areaColour[2]);
    glBegin(ground.areaClosed ? GL_LINE_LOOP : GL_LINE_STRIP);
    vertices(ground.area);
    glEnd();
    if (!ground.areaClosed) {
        glBegin(GL_POINTS);
        vertices(ground.area);
        glEnd();
    }
    glColor3f(lineColour[0], lineColour[1], lineColour[2]);
    glBegin(GL_LINES);
    vertices(ground.line);
    glEnd();
    // A dot on the first end: the sides of the line, and so the directions of its crossings,
    // are named looking from there.
    if (!ground.line.empty()) {
        glBegin(GL_POINTS);
        vertices({ground.line.front()});
        glEnd();
    }
}

void Pane3D::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit groundClicked(groundPoint(event->pos()));
    } else if (event->button() == Qt::RightButton) {
        panStartX = cameraX;
        panStartZ = cameraZ;
        pressX = event->x();
        pressY = event->y();
        panning = true;
    } else if (event->button() == Qt::MiddleButton) {
        playing = !playing;
    }
}

void Pane3D::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit groundDoubleClicked(groundPoint(event->pos()));
    } else {
        QGLWidget::mouseDoubleClickEvent(event);
    }
}

void Pane3D::mouseMoveEvent(QMouseEvent* event) {
    if (!panning) {
        return;
    }
    // 35° is half the field of view, 250 half the initial 500-pixel view.
    const float perPixel = std::tan(35.0f * degrees) * cameraHeight / 250.0f;
    cameraX = panStartX - static_cast<float>(event->x() - pressX) * perPixel;
    cameraZ = panStartZ - static_cast<float>(event->y() - pressY) * perPixel;
    restartTrails();
}

void Pane3D::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        panning = false;
    }
}

void Pane3D::wheelEvent(QWheelEvent* event) {
    const float delta = static_cast<float>(event->angleDelta().y());
    cameraHeight = cameraHeight - (delta / 1000.0f) * cameraHeight;
    restartTrails();
}
