#pragma once

/// Measured velocities as ANA files hold them: a direction θ (radians) and a speed, both floats.
/// Every velocity Vestra measures is one that such a pair stands for, so that an experiment
/// written as an ANA file reads back bit for bit.
namespace PolarVelocity {

/// The velocity a direction and a speed stand for: speed × (cos θ, sin θ), the trigonometry in
/// double and rounded to float before the product.
void toVelocity(float theta, float speed, float& vx, float& vy);

/// A direction and speed that toVelocity turns back into (vx, vy): exactly for most
/// velocities, to within two units in the last place near the axes, where the direction's last
/// bits vanish in the cosine or sine. Files keep the pairs they were read with for that reason.
void fromVelocity(float vx, float vy, float& theta, float& speed);

}  // namespace PolarVelocity
