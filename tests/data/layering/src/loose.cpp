int loose;
