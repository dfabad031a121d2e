#include "app/BatchComponents.h"

#include "app/commands/CalibrateRequest.h"
#include "calibration/ComponentRegistry.h"

namespace {

std::string choices(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "\"" : ", \"") + name + "\"";
    }
    return text;
}

/// Creates the component of that display name, or reports the valid choices.
template <class Base>
std::unique_ptr<Base> createByName(const ComponentRegistry::Kind<Base>& kind, const char* what,
                                   const std::string& name, std::vector<std::string>& errors) {
    std::unique_ptr<Base> component = kind.create(name);
    if (!component) {
        errors.push_back(std::string("unknown ") + what + " \"" + name + "\"; the " + what +
                         "s are " + choices(kind.names) + ".");
    }
    return component;
}

/// Applies "Name=text" settings as one batch; false (after reporting) for an unknown name or a
/// text that is not wholly a value of the parameter's type.
bool applySettings(Configurable& component, const char* what, const ParameterSettings& settings,
                   std::vector<std::string>& errors) {
    for (const auto& [parameter, text] : settings) {
        if (!component.hasParameter(parameter)) {
            errors.push_back(std::string("the ") + what + " \"" + component.name +
                             "\" has no parameter \"" + parameter + "\"; its parameters are " +
                             (component.parameterNames().empty()
                                  ? std::string("none")
                                  : choices(component.parameterNames())) +
                             ".");
            return false;
        }
        if (!component.acceptsParameterText(parameter, text)) {
            errors.push_back(std::string("the ") + what + " parameter \"" + parameter + "\" of \"" +
                             component.name + "\" needs " +
                             component.expectedParameterForm(parameter) + ", got \"" + text +
                             "\".");
            return false;
        }
        component.setParameter(parameter, text);
    }
    component.commitParameters();
    return true;
}

}  // namespace

bool BatchComponents::create(const ComponentRegistry& registry, const EvaluateRequest& request,
                             std::vector<std::string>& errors) {
    return createAll(registry, request, nullptr, errors);
}

bool BatchComponents::create(const ComponentRegistry& registry, const CalibrateRequest& request,
                             std::vector<std::string>& errors) {
    return createAll(registry, request, &request, errors);
}

bool BatchComponents::createAll(const ComponentRegistry& registry, const EvaluateRequest& request,
                                const CalibrateRequest* calibrate,
                                std::vector<std::string>& errors) {
    model = createByName(registry.simulations, "model", request.model, errors);
    metric = createByName(registry.metrics, "metric", request.metric, errors);
    if (calibrate) {
        calibration =
            createByName(registry.calibrations, "algorithm", calibrate->algorithm, errors);
    }
    if (!model || !metric || (calibrate && !calibration)) {
        return false;
    }
    return applySettings(*model, "model", request.modelSettings, errors) &&
           applySettings(*metric, "metric", request.metricSettings, errors) &&
           (!calibrate ||
            applySettings(*calibration, "algorithm", calibrate->algorithmSettings, errors));
}
