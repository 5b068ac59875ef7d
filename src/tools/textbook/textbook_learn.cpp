#include "tools/textbook/textbook_learn.h"

#include <cstdint>
#include <limits>
#include <stdexcept>

#include "tools/common/dataset.h"
#include "tools/textbook/error_estimate.h"
#include "tools/textbook/textbook_growth.h"
#include "tools/textbook/textbook_pruning.h"

TextbookTree learnTextbook(const Dataset& data, const TextbookOptions& options,
                           const TextbookObserver* observer) {
  // Cases are numbered in 32 bits, which keeps the columns compact.
  if (data.size() >= std::numeric_limits<std::uint32_t>::max())
    throw std::length_error("the textbook learner takes fewer than 2^32 cases");
  GrownTree grown = growTextbookTree(data, options, observer);
  collapseTextbookTree(grown.tree, observer);
  if (!options.unpruned) pruneTextbookTree(grown, data, errorEstimate(options.confidence), observer);
  return preOrder(grown.tree);
}
