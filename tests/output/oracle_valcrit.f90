! The validation criteria in REAL arithmetic: criterion, case number and result bits per line,
! the cases built from V as the test builds them.
program oracle_valcrit
  implicit none
  real, parameter :: v(13) = (/ 0.0, 3.0, -3.0, 0.0015, -0.0015, 0.1, 0.25, 1.0, &
      0.001, 7.7, -2.5, 1.0e-4, 1234.5 /)
  integer :: i2, i6, k, icrit, ncase
  real :: x2, x3, x4, x5, x6, x7, x8, r
  ncase = 0
  do i2 = 0, 12
    do i6 = 0, 12
      do k = 0, 1
        x2 = v(i2 + 1)
        x3 = v(mod(i2 + i6, 13) + 1)
        x4 = v(mod(3 * i2 + i6, 13) + 1)
        if (k == 1) x4 = -((x2 + x3) * 0.5)
        x5 = v(mod(i2 + 2 * i6 + k, 13) + 1)
        x6 = v(i6 + 1)
        x7 = v(mod(5 * i6 + 1, 13) + 1)
        x8 = v(mod(i2 + 7, 13) + 1)
        do icrit = -1, 13
          r = crit(icrit)
          write (*, '(i4,i6,i12)') icrit, ncase, transfer(r, 0)
        end do
        ncase = ncase + 1
      end do
    end do
  end do
contains
  real function sdiv(a, b, eps)
    real, intent(in) :: a, b, eps
    sdiv = eps
    if (abs(a) >= eps) sdiv = 1.0 / eps
    if (a < 0.0) sdiv = -sdiv
    if (b /= 0.0) sdiv = a / b
  end function sdiv
  real function crit(ic)
    integer, intent(in) :: ic
    real :: s
    s = (x2 + x3) * 0.5 + x4
    select case (ic)
    case (1); crit = sdiv(x6 / 3.0, s, 0.001)
    case (2); crit = x6
    case (3); crit = x8
    case (4); crit = 3.0 - log10(x5)
    case (5); crit = x7
    case (6); crit = sdiv(s, x5, 0.001)
    case (8); crit = sdiv(x6 / 3.0, x2 * 0.5, 0.001)
    case (11)
      crit = x6
      if (x6 > 0.1) crit = sdiv(x6 / 3.0, s, 0.001)
    case default; crit = -999.0
    end select
  end function crit
end program oracle_valcrit
