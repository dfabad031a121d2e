#include "data/Experiment.h"

#include "data/Parser.h"

Experiment::Experiment(Parser& parser) {
    parser.fill(pedestrianCount, obstacleCount, frameCount, posX, posY, velX, velY, obstacleX1,
                obstacleY1, obstacleX2, obstacleY2, times, timeDriven, waypointCount,
                waypointRadius, waypointX, waypointY);
}
