#pragma once

#include <QGLWidget>
#include <QImage>
#include <vector>

#include "view3d/Character.h"
#include "view3d/GroundOverlay.h"
#include "view3d/TrailBuffer.h"

class QTimer;
class Record;

/// The OpenGL playback view: over a ground grid seen from above, the measured pedestrians of the
/// record's experiment, the simulated ones of its model, the lines joining each pair, and the
/// obstacle segments, all at one playback time, and a measurement area and line on the ground. A
/// 25 ms timer paints and advances playback. Left clicks on the ground are reported in metres.
class Pane3D : public QGLWidget {
    Q_OBJECT

public:
    Pane3D(QWidget* parent, Record* record);
    ~Pane3D() override;

    /// Resets the record, recomputes the scene bounds and the camera, clears the busy flag.
    void rebuild();

    /// While set, painting and playback do nothing (a worker thread uses the record).
    bool busy = false;
    /// Marks the view busy and stops its clock, so that a long run gets every core; rebuild()
    /// starts it again.
    void pause();

    // Read-only state, for the window and the tests.
    float playbackTime() const { return time; }
    float playbackSpeed() const { return speed; }
    float playbackDuration() const;
    bool isPlaying() const { return playing; }
    bool showsExperiment() const { return showExp; }
    bool showsLinks() const { return showRec; }
    bool showsSimulation() const { return showSim; }
    bool drawsPaths() const { return paths; }
    bool usesColours() const { return colors; }
    bool drawsTails() const { return tails; }
    /// Fraction of the run shown (0 to 1), from which the measured and simulated frames follow.
    float displayPosition() const { return shownFraction; }
    bool trailsInHardware() const { return trails.usesHardware(); }
    float cameraPositionX() const { return cameraX; }
    float cameraPositionZ() const { return cameraZ; }
    float cameraAltitude() const { return cameraHeight; }
    /// Draws pedestrian `index`'s measured and simulated figures in amber, so that it can be
    /// found; -1 for none.
    void setHighlight(int index) { highlight = index; }
    int highlighted() const { return highlight; }
    /// Figures (measured and simulated) drawn by the last paint: those present at its time.
    int figuresShown() const { return figuresDrawn; }

    /// Draws `shown` on the ground from the next paint on; its picking state chooses the cursor.
    void setOverlay(const GroundOverlay& shown);
    const GroundOverlay& overlay() const { return ground; }
    /// The point of the ground (experiment metres) that a pixel of the view shows.
    QPointF groundPoint(const QPoint& pixel) const;

    /// Keeps a copy of every painted frame, read before the buffers are swapped (grabbing the
    /// front buffer of a child GL window is not reliable on every X server).
    void setFrameCapture(bool enabled) { captureFrames = enabled; }
    /// The last painted frame while capture is on.
    const QImage& capturedFrame() const { return lastFrame; }

public slots:
    void p_idle();
    void setShowExp(int state);
    void setShowRec(int state);
    void setShowSim(int state);
    void setAnim(bool play);
    void setPath(int state);
    void setTail(int state);
    void setColor(int state);
    void setAnim();
    void resetAnim();
    void speedUp();
    void speedDown();
    void speedOneOne();
    void resetCamera();
    void setTimePosition(int value);

signals:
    /// The slider position (0 to 99) of the time shown, whenever it changes during playback.
    void timePositionChanged(int value);
    /// A left click on the view, at the point of the ground it shows (experiment metres).
    void groundClicked(QPointF point);
    /// A left double click, at the point of the ground it shows; its first click came as a
    /// groundClicked.
    void groundDoubleClicked(QPointF point);

protected:
    void initializeGL() override;
    void resizeGL(int w, int h) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    /// Shows the current time: its fraction of the run, and the slider position.
    void showTime();
    /// Starts every figure's history afresh at the sample it shows now, so that a jump in time
    /// draws no tail back to where it came from.
    void resetFigures();
    /// The accumulated picture starts again from the background and grid at the next paint:
    /// after "Reset", and when the camera moves (the old picture no longer fits the view).
    void restartTrails() { trailsRestart = true; }
    void drawGrid() const;
    void drawExperiment();
    void drawLinks() const;
    void drawSimulation();
    void drawObstacles() const;
    void drawOverlay() const;
    /// Index of the shown sample of pedestrian p in the experiment's arrays, or -1 when there
    /// is none (the pedestrian is not present at the shown time).
    std::ptrdiff_t experimentSample(int p) const;
    /// Index of the shown sample in agent i's recorded lists, or -1.
    int simulationSample(int i) const;
    void widenBounds(float x, float z);

    QTimer* timer = nullptr;
    float time = 0.0f;
    float speed = 0.025f;
    Record* record = nullptr;
    std::vector<Character> experimentFigures;
    std::vector<Character> simulationFigures;
    float xMax = 0.0f, xMin = 0.0f, zMax = 0.0f, zMin = 0.0f;
    float cameraX = 0.0f, cameraHeight = 1.0f, cameraZ = 0.0f;
    float pitch = -90.0f;
    float yaw = 0.0f;
    bool panning = false;
    float halfExtent = 0.0f;
    int pressX = 0, pressY = 0;
    float panStartX = 0.0f, panStartZ = 0.0f;
    bool showExp = true;
    bool showRec = false;
    bool showSim = true;
    bool playing = false;
    bool paths = false;
    bool trailsStarted = false;
    bool gridInTrails = false;
    bool trailsRestart = false;
    float shownFraction = 0.0f;  ///< fraction of the run at the time last shown
    int shownPosition = 0;       ///< slider position of the time last shown
    bool colors = false;
    bool tails = false;
    TrailBuffer trails;
    bool captureFrames = false;
    int figuresDrawn = 0;
    int highlight = -1;
    bool paused = false;  ///< the clock was stopped by pause()
    QImage lastFrame;
    GroundOverlay ground;
};
