! Reference values of the equilibrium constants, computed with the models'
! own REAL / DOUBLE PRECISION arithmetic. One line per temperature:
! i, then the bit patterns of FKHCO3, FKCO3, FKOH, FKCACO3, FLGKALOX.
program oracle_constants
  implicit none
  integer :: i
  real :: t, tk, lgk, r(5)
  double precision :: dtk, e
  do i = -100, 400
    t = real(i) / 10.0
    lgk = 8.0 + real(i) * 0.01
    tk = t + 273.0
    dtk = dble(tk)
    e = ((dble(2386.0) / dtk - dble(14.018)) + dble(6.0)) + (dble(-3404.0) / dtk + dble(14.844))
    e = e + dble(-0.0175) * dtk
    r(1) = real(10.0d0 ** e)
    e = ((dble(6.53) - dble(2906.0) / dtk) - dble(0.0238) * dtk) + dble(3.0)
    r(2) = real(dble(2.0) * 10.0d0 ** e)
    e = ((dble(6.09) - dble(4471.0) / dtk) - dble(0.0171) * dtk) + dble(3.0)
    r(3) = real(10.0d0 ** e)
    r(4) = 141263.5 * exp(2718.3064 * (0.0033557047 - 1.0 / tk))
    r(5) = lgk + (-4988.0654) * (0.003533569 - 1.0 / tk)
    write (*, '(i5,5(1x,i11))') i, transfer(r(1), 0), transfer(r(2), 0), transfer(r(3), 0), &
        transfer(r(4), 0), transfer(r(5), 0)
  end do
end program oracle_constants
